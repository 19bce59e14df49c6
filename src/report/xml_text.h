#pragma once
#include <string>
#include <string_view>

namespace orv {

// Text for XML character data and attribute values. Names are bytes of no
// known encoding: bytes above 0x7F become character references, control
// characters (which XML cannot carry) a question mark.
inline std::string xml_text(std::string_view text) {
    static const char HEX[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default:
            if (byte >= 0x80) {
                out += "&#x";
                out += HEX[byte >> 4];
                out += HEX[byte & 0xF];
                out += ';';
            } else if (byte < 0x20 && c != '\n' && c != '\t') {
                out += '?';
            } else {
                out += c;
            }
        }
    }
    return out;
}

}  // namespace orv
