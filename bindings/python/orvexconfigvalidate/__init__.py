"""Checks orvexbridged configuration files: the server file, the bridges
file, both together, a parsed value, or every deployment of a folder.

Problems of the documents come back as issues of a Result; wrong arguments
(a value that has no JSON form, a folder that does not exist) raise."""

from ._native import (
    Deployment,
    Fixed,
    Issue,
    Result,
    __version__,
    check_folder,
    check_pair,
    check_text,
    check_value,
    fix_pair,
    fix_text,
    schema_ids,
)

__all__ = [
    "Deployment",
    "Fixed",
    "Issue",
    "Result",
    "__version__",
    "check_folder",
    "check_pair",
    "check_text",
    "check_value",
    "fix_pair",
    "fix_text",
    "schema_ids",
]
