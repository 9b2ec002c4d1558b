#!/usr/bin/env python3
"""python-jsonschema on a bridges file: python_validate.py SCHEMA_DIR FILE.
Exit 0 when valid, 1 when not."""
import json
import sys

import jsonschema


def main():
    folder, path = sys.argv[1], sys.argv[2]
    with open(f"{folder}/BridgingConfiguration.schema.json", encoding="utf-8") as f:
        schema = json.load(f)
    with open(f"{folder}/Group.schema.json", encoding="utf-8") as f:
        group = json.load(f)
    store = {schema["$id"]: schema, group["$id"]: group}
    resolver = jsonschema.RefResolver.from_schema(schema, store=store)
    with open(path, encoding="utf-8") as f:
        document = json.load(f)
    errors = list(jsonschema.Draft7Validator(schema, resolver=resolver).iter_errors(document))
    sys.exit(1 if errors else 0)


if __name__ == "__main__":
    main()
