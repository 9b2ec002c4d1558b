#!/usr/bin/env python3
"""Runs the steps of a composite action.yml as a GitHub runner does, offline:
   run_action.py ACTION_DIR WORKSPACE NAME=VALUE...
Inputs take the action's defaults; a required input without a value is an
error. Each step's env may use ${{ inputs.X }}, ${{ github.action_path }} and
${{ runner.temp }}; its run text may use no expression at all (an input
written into a script would be run as code). Steps run with bash as the
runner calls it, in WORKSPACE, with GITHUB_PATH and GITHUB_OUTPUT files that
are read between steps. Prints the action's outputs as JSON on the last line
and exits with the status of the first failing step (0 when all pass)."""
import json
import os
import re
import subprocess
import sys
import tempfile

import yaml

EXPRESSION = re.compile(r"\$\{\{\s*(.*?)\s*\}\}")


def evaluate(text, context):
    def one(match):
        name = match.group(1)
        if name not in context:
            raise SystemExit(f"run_action: unsupported expression {match.group(0)!r}")
        return context[name]

    return EXPRESSION.sub(one, str(text))


def inputs_of(action, given):
    values = {}
    for name, declared in action.get("inputs", {}).items():
        if name in given:
            values[name] = given.pop(name)
        elif declared.get("required") and "default" not in declared:
            raise SystemExit(f"run_action: input {name} is required")
        else:
            values[name] = str(declared.get("default", ""))
    if given:
        raise SystemExit(f"run_action: the action has no input {sorted(given)}")
    return values


def read_outputs(path):
    outputs = {}
    with open(path, encoding="utf-8") as lines:
        for line in lines:
            if "=" in line:
                key, value = line.rstrip("\n").split("=", 1)
                outputs[key] = value
    return outputs


def run_steps(action, action_dir, workspace, inputs, temp):
    context = {f"inputs.{k}": v for k, v in inputs.items()}
    context["github.action_path"] = action_dir
    context["runner.temp"] = temp
    path_file = os.path.join(temp, "github_path")
    open(path_file, "w").close()
    base_path = os.environ["PATH"]
    for index, step in enumerate(action["runs"]["steps"]):
        if EXPRESSION.search(step["run"]):
            raise SystemExit(f"run_action: step {index} writes an expression into its script")
        if step.get("shell") != "bash":
            raise SystemExit(f"run_action: step {index} does not run under bash")
        output_file = os.path.join(temp, f"output_{index}")
        open(output_file, "w").close()
        with open(path_file, encoding="utf-8") as added:
            prepended = [line.strip() for line in added if line.strip()][::-1]
        env = dict(os.environ)
        env.update({k: evaluate(v, context) for k, v in step.get("env", {}).items()})
        env.update(GITHUB_ACTION_PATH=action_dir, GITHUB_PATH=path_file, GITHUB_OUTPUT=output_file,
                   GITHUB_WORKSPACE=workspace, RUNNER_TEMP=temp,
                   PATH=os.pathsep.join(prepended + [base_path]))
        script = os.path.join(temp, f"step_{index}.sh")
        with open(script, "w", encoding="utf-8") as out:
            out.write(step["run"])
        status = subprocess.run(["bash", "--noprofile", "--norc", "-eo", "pipefail", script],
                                cwd=workspace, env=env, check=False).returncode
        for key, value in read_outputs(output_file).items():
            context[f"steps.{step.get('id', index)}.outputs.{key}"] = value
        if status != 0:
            return status, context
    return 0, context


def main():
    action_dir, workspace = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    given = dict(argument.split("=", 1) for argument in sys.argv[3:])
    with open(os.path.join(action_dir, "action.yml"), encoding="utf-8") as text:
        action = yaml.safe_load(text)
    if action["runs"]["using"] != "composite":
        raise SystemExit("run_action: not a composite action")
    with tempfile.TemporaryDirectory() as temp:
        status, context = run_steps(action, action_dir, workspace, inputs_of(action, given), temp)
    outputs = {}
    for name, declared in action.get("outputs", {}).items():
        outputs[name] = EXPRESSION.sub(lambda m: context.get(m.group(1), ""), declared["value"])
    print(json.dumps(outputs))
    return status


if __name__ == "__main__":
    sys.exit(main())
