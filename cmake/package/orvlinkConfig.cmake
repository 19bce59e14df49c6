# find_package(orvlink): the programs as imported targets (orvlink::orvlink,
# orvlink::orvobj, orvlink::orvlib) and the functions of orvlinkFirmware.cmake.
include("${CMAKE_CURRENT_LIST_DIR}/orvlinkTargets.cmake")
include("${CMAKE_CURRENT_LIST_DIR}/orvlinkFirmware.cmake")
