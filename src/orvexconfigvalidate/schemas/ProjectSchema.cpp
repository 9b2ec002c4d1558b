#include "schemas/SchemaTexts.hpp"

namespace OrvexConfigValidate {

// The project file: accepted issues, severities per code and path, and
// site rules. No other document refers to it.
const char kProjectSchemaText[] = R"json({
  "$schema": "http://json-schema.org/draft-07/schema#",
  "$id": "https://schemas.orvex.example/schemas/Project.schema.json",
  "title": "Project",
  "description": "orvex-project.json: what a team decided about the checks of the configuration files below it.",
  "type": "object",
  "additionalProperties": false,
  "properties": {
    "$schema": { "type": "string" },
    "accept": {
      "description": "Issues accepted one by one, each named by what it is about (never by line or index).",
      "type": "array",
      "items": { "$ref": "#/definitions/acceptEntry" }
    },
    "severities": {
      "description": "Levels given to built-in codes, per code and path pattern; the last matching entry wins.",
      "type": "array",
      "items": { "$ref": "#/definitions/severityEntry" }
    },
    "rules": {
      "description": "Site rules, run after the built-in rules.",
      "type": "array",
      "maxItems": 256,
      "items": { "$ref": "#/definitions/siteRule" }
    },
    "profiles": {
      "description": "Named sets of deployments, by path patterns relative to the project file's folder; a rule's \"profiles\" limit it to them.",
      "type": "object",
      "additionalProperties": {
        "type": "array",
        "minItems": 1,
        "items": { "type": "string", "minLength": 1, "description": "* within a name, ? one character, ** across folders." }
      }
    }
  },
  "definitions": {
    "code": {
      "type": "string",
      "pattern": "^[a-z][a-z0-9_]*$"
    },
    "acceptEntry": {
      "type": "object",
      "additionalProperties": false,
      "required": ["code", "file", "reason"],
      "properties": {
        "code": { "$ref": "#/definitions/code", "description": "The issue code." },
        "file": { "type": "string", "minLength": 1, "description": "The file, relative to the project file's folder." },
        "element": { "enum": ["", "group", "bridge"], "description": "What the issue is about: a group, a bridge, or neither." },
        "id": { "type": "string", "description": "The group's or bridge's id." },
        "member": { "type": "string", "description": "The member: a pointer below the element, or \"groups: ID\" for a bridge's reference." },
        "occurrence": { "type": "integer", "minimum": 1, "description": "Which of the issues with this key, where ids repeat." },
        "reason": { "type": "string", "minLength": 1, "description": "Why the issue is accepted (required)." },
        "expires": { "type": "string", "pattern": "^[0-9]{4}-[0-9]{2}-[0-9]{2}$", "description": "The last UTC day the entry holds (YYYY-MM-DD)." }
      }
    },
    "siteRule": {
      "type": "object",
      "additionalProperties": false,
      "required": ["code", "severity", "description", "given"],
      "anyOf": [
        { "required": ["then"] }, { "required": ["unique"] }, { "required": ["count"] }, { "required": ["sum"] }
      ],
      "properties": {
        "code": { "type": "string", "pattern": "^site_[a-z0-9_]+$", "maxLength": 100, "description": "The rule's issue code." },
        "severity": { "enum": ["error", "warning", "note"] },
        "description": { "type": "string", "minLength": 1, "description": "What the rule asks and why: the issue's message and its --explain text." },
        "given": { "enum": ["server", "group", "bridge", "vortapoint"], "description": "The entity the rule is about." },
        "when": { "type": ["object", "boolean"], "description": "A draft-07 schema: only the entities it accepts are judged." },
        "then": { "type": ["object", "boolean"], "description": "A draft-07 schema every judged entity must meet." },
        "unique": { "$ref": "#/definitions/entityPointer", "description": "No two judged entities have one value here." },
        "count": { "$ref": "#/definitions/bounds", "description": "Bounds on how many entities are judged." },
        "sum": {
          "allOf": [{ "$ref": "#/definitions/bounds" }],
          "required": ["of"],
          "properties": { "of": { "$ref": "#/definitions/entityPointer" } },
          "description": "Bounds on the sum of the numbers at a pointer over the judged entities."
        },
        "profiles": { "type": "array", "minItems": 1, "items": { "type": "string" }, "description": "The profiles the rule holds in; every deployment when absent." }
      }
    },
    "entityPointer": {
      "type": "string",
      "pattern": "^(/([^~]|~[01])*)*$",
      "description": "A JSON pointer into the entity: \"/rx/port\"."
    },
    "bounds": {
      "type": "object",
      "anyOf": [{ "required": ["minimum"] }, { "required": ["maximum"] }],
      "properties": { "minimum": { "type": "number" }, "maximum": { "type": "number" } }
    },
    "severityEntry": {
      "type": "object",
      "additionalProperties": false,
      "required": ["code", "level"],
      "properties": {
        "code": { "$ref": "#/definitions/code" },
        "files": { "type": "string", "description": "A path pattern relative to the project file's folder: * within a name, ** across folders." },
        "level": { "enum": ["error", "warning", "note", "off"] }
      }
    }
  }
})json";

}  // namespace OrvexConfigValidate
