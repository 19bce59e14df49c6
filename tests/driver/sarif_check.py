"""Checks a SARIF 2.1.0 log written by orvlink: the properties the format
requires, with their types, and that every result refers to a rule of the
tool. With the jsonschema package it also validates the log against a
schema: the whole SARIF 2.1.0 schema when ORV_SARIF_SCHEMA names its file
(.ci/run fetches it from the npm registry), else the schema of the required
properties beside this script (sarif_required.schema.json). The last line
names the schema that was checked."""
import json
import os
import pathlib
import sys

log = json.load(open(sys.argv[1]))
problems = []


def need(condition, what):
    if not condition:
        problems.append(what)


need(log.get("version") == "2.1.0", "version is 2.1.0")
need(isinstance(log.get("runs"), list) and len(log["runs"]) == 1, "one run")
run = log["runs"][0]
driver = run["tool"]["driver"]
need(isinstance(driver.get("name"), str), "tool.driver.name")
rules = driver.get("rules", [])
ids = [rule["id"] for rule in rules]
need(len(ids) == len(set(ids)), "rule ids unique")
for rule in rules:
    need("text" in rule.get("shortDescription", {}), "rule " + rule["id"] + " has a text")
for result in run["results"]:
    need(isinstance(result["message"].get("text"), str), "result message text")
    need(result.get("level") in ("none", "note", "warning", "error"), "result level")
    index = result.get("ruleIndex")
    need(index is None or rules[index]["id"] == result["ruleId"], "ruleIndex points at ruleId")
    for location in result.get("locations", []) + result.get("relatedLocations", []):
        physical = location.get("physicalLocation")
        if physical is not None:
            need(isinstance(physical["artifactLocation"]["uri"], str), "artifact uri")
            need(physical.get("region", {"startLine": 1})["startLine"] >= 1, "startLine from 1")
    for related in result.get("relatedLocations", []):
        need(isinstance(related.get("id"), int) and related["id"] >= 0, "related location id")
need(isinstance(run["invocations"][0]["executionSuccessful"], bool), "executionSuccessful")

try:
    import jsonschema
except ImportError:
    jsonschema = None
schema_name = None
if jsonschema is not None:
    schema_path = os.environ.get("ORV_SARIF_SCHEMA") or pathlib.Path(__file__).with_name("sarif_required.schema.json")
    schema = json.load(open(schema_path, encoding="utf-8"))
    validator = jsonschema.validators.validator_for(schema)
    for error in validator(schema).iter_errors(log):
        problems.append("schema: " + error.message + " at " + "/".join(str(p) for p in error.absolute_path))
    schema_name = pathlib.Path(schema_path).name
print("\n".join(problems) if problems else "valid" + (" (schema " + schema_name + ")" if schema_name else ""))
sys.exit(1 if problems else 0)
