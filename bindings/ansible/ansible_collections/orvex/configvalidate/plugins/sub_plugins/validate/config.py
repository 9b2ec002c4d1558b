"""The ansible.utils.validate engine orvex.configvalidate.config."""

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = """
    name: config
    short_description: Check orvexbridged configuration files
    description:
    - Checks I(data) against the schema id that I(criteria) names, with the rules between
      the server file and the bridges file, through the orvexconfigvalidate Python module.
    - With criteria C(Obs), I(data) is a dict with C(server) and C(bridges), each the text of
      the file or its parsed value; the two are judged together. With any other schema id
      (C(BridgingConfiguration), C(BridgingServerConfiguration), ...), I(data) is one text or
      value.
    - Every error is one entry of C(errors), whose C(data_path) is the JSON pointer of the
      place in I(data) (C(/bridges/groups/0/id)); a text gives C(line) and C(column) too.
      Warnings and notes become Ansible warnings unless an option makes them fail.
    version_added: 1.0.0
    options:
      strict:
        description: Also warn about members that the schema does not name.
        type: bool
        default: false
        env:
        - name: ANSIBLE_VALIDATE_ORVEX_STRICT
        vars:
        - name: ansible_validate_orvex_strict
      fail_on_warning:
        description: A warning fails the check.
        type: bool
        default: false
        env:
        - name: ANSIBLE_VALIDATE_ORVEX_FAIL_ON_WARNING
        vars:
        - name: ansible_validate_orvex_fail_on_warning
    notes:
    - Needs the orvexconfigvalidate Python module on the controller
      (the python3-orvexconfigvalidate package).
"""

import json

from ansible.errors import AnsibleError
from ansible.module_utils.parsing.convert_bool import boolean
from ansible.module_utils.six import string_types

from ansible_collections.ansible.utils.plugins.plugin_utils.base.validate import ValidateBase

try:
    import orvexconfigvalidate

    HAS_MODULE = True
except ImportError:
    HAS_MODULE = False

SOURCES = ("server", "bridges")


def _is_text(value):
    return isinstance(value, (string_types, bytes))


def _place(issue, prefix):
    return prefix + issue.pointer if prefix or issue.pointer else "/"


class Validate(ValidateBase):
    def _options(self):
        return {
            "strict": boolean(self._get_sub_plugin_options("strict") or False),
            "fail_on_warning": boolean(self._get_sub_plugin_options("fail_on_warning") or False),
        }

    def _schema_id(self):
        criteria = self._criteria
        if isinstance(criteria, list) and len(criteria) == 1:
            criteria = criteria[0]
        if not isinstance(criteria, string_types) or criteria not in orvexconfigvalidate.schema_ids():
            raise AnsibleError(
                "criteria must be one schema id of %s, not %r"
                % (", ".join(orvexconfigvalidate.schema_ids()), criteria)
            )
        return criteria

    def _check_pair(self, options):
        """The two files together; every place is prefixed with its file's member."""
        data = self._data
        if not isinstance(data, dict) or set(data) != set(SOURCES):
            raise AnsibleError("with criteria Obs, data must be a dict of 'server' and 'bridges'")
        if all(_is_text(data[name]) for name in SOURCES):
            result = orvexconfigvalidate.check_pair(data["server"], data["bridges"], **options)
            return result, lambda issue: "/" + SOURCES[issue.source]
        values = {name: self._value(data[name]) for name in SOURCES}
        result = orvexconfigvalidate.check_value(values, "Obs", **options)
        return result, lambda issue: ""

    @staticmethod
    def _value(value):
        # A text next to a parsed value is parsed here: the pair is then one envelope.
        if _is_text(value):
            try:
                return json.loads(value)
            except ValueError as error:
                raise AnsibleError("a text of data is not JSON: %s" % error)
        return value

    def _check(self):
        options = self._options()
        schema_id = self._schema_id()
        try:
            if schema_id == "Obs" and isinstance(self._data, dict):
                return self._check_pair(options)
            if _is_text(self._data):
                return orvexconfigvalidate.check_text(self._data, schema_id, **options), None
            return orvexconfigvalidate.check_value(self._data, schema_id, **options), None
        except (TypeError, ValueError) as error:
            raise AnsibleError("data cannot be checked: %s" % error)

    def validate(self):
        if not HAS_MODULE:
            raise AnsibleError("the orvexconfigvalidate Python module is not installed")
        result, prefix_of = self._check()
        fails = {"error"} | ({"warning"} if self._options()["fail_on_warning"] else set())
        errors, warnings = [], []
        for issue in result.issues:
            place = _place(issue, prefix_of(issue) if prefix_of else "")
            entry = {
                "data_path": place,
                "code": issue.code,
                "severity": issue.severity,
                "message": issue.message,
                "line": issue.line,
                "column": issue.column,
            }
            text = "%s: %s [%s]" % (place, issue.message, issue.code)
            if issue.severity in fails:
                errors.append(entry)
            else:
                warnings.append(text)
        outcome = {}
        if errors:
            outcome["errors"] = errors
            outcome["msg"] = "\n".join(
                "%s: %s [%s]" % (e["data_path"], e["message"], e["code"]) for e in errors
            )
        if warnings:
            outcome["warnings"] = warnings
        return outcome
