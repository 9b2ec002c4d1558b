#!/usr/bin/env bash
# The container images: scripts/build-images builds both from the static
# tool, then each runs on examples/good and examples/broken mounted as its
# working folder (checked as deployments): exit status 0 and 1, the report
# on standard output. The busybox image must give GitLab a shell. Needs
# podman and busybox-static (scripts/setup-ci-reach):
#   tests/ci-reach/images.sh TOOL
set -euo pipefail
cd "$(dirname "$0")/../.."
tool=${1:?usage: images.sh TOOL}
name=localhost/orvex-config-validate-test
work=$(mktemp -d)
# What this sandbox needs to run containers (crun refuses its cgroups);
# not something a user of the images passes.
sandbox=(--runtime runc --ulimit nofile=20000:20000 --ulimit nproc=32768:32768)

fail() {
    echo "image test: $*" >&2
    exit 1
}
cleanup() {
    rm -rf "$work"
    podman rmi --force "${tags[@]}" >/dev/null 2>&1 || true
}
tags=()
trap cleanup EXIT

start=$(date +%s)
mapfile -t tags < <(scripts/build-images "$tool" "$name")
[ "${#tags[@]}" -eq 2 ] || fail "build-images made ${#tags[@]} images: ${tags[*]}"
version=$("$tool" --version | grep -oE '[0-9]+\.[0-9]+\.[0-9]+' | head -n1)
scratch=$name:$version
busybox=$name:$version-busybox
echo "built in $(($(date +%s) - start)) s: ${tags[*]}"

for tag in "$scratch" "$busybox"; do
    size=$(podman image inspect --format '{{.Size}}' "$tag")
    echo "$tag: $((size / 1000)) kB"
    for label in "version=$version" "source=https://" "licenses=LicenseRef-"; do
        key=org.opencontainers.image.${label%%=*}
        value=$(podman image inspect --format "{{index .Labels \"$key\"}}" "$tag")
        [[ $value == "${label#*=}"* ]] || fail "$tag: label $key is '$value'"
    done
done
podman run --rm "${sandbox[@]}" --entrypoint /bin/sh "$scratch" -c true >/dev/null 2>&1 &&
    fail "$scratch has a shell; it should hold the tool alone"

# Runs the image on a copy of examples/FOLDER mounted as /work.
run_in() {
    local tag=$1 folder=$2 status=$3 want=$4 actual=0
    shift 4
    rm -rf "${work:?}/$folder" && cp -r "examples/$folder" "$work/$folder"
    chmod -R a+rwX "$work/$folder"
    podman run --rm "${sandbox[@]}" -v "$work/$folder:/work" "$tag" "$@" \
        >"$work/out" 2>"$work/err" || actual=$?
    [ "$actual" = "$status" ] ||
        fail "$tag $* on $folder: exit status $actual, expected $status: $(cat "$work/out" "$work/err")"
    grep -qF -- "$want" "$work/out" || fail "$tag $* on $folder: no '$want' on stdout: $(cat "$work/out")"
}

# image | command after the image ("" for its default) | folder | status | stdout must hold
cases=(
    "$scratch||good|0|1 deployment, 2 files checked: 0 errors"
    "$scratch||broken|1|[missing_group_ref]"
    "$scratch|--format github .|broken|1|::error file=bridges.json,line="
    "$busybox|orvex-config-validate .|good|0|1 deployment, 2 files checked: 0 errors"
    "$busybox|orvex-config-validate .|broken|1|[missing_group_ref]"
)
for case in "${cases[@]}"; do
    IFS='|' read -r tag command folder status want <<<"$case"
    read -r -a arguments <<<"$command"
    run_in "$tag" "$folder" "$status" "$want" "${arguments[@]}"
done
# As a GitLab job runs its script: a shell in the image, the job's commands,
# a report file beside the checked files.
# shellcheck disable=SC2016 # expanded by the image's shell
run_in "$busybox" broken 0 "status=1 failures" sh -c \
    'orvex-config-validate --format junit . >report.xml; echo "status=$?" $(grep -o "<failure" report.xml | head -n1 | tr -d "<")s'
echo "images: $((${#cases[@]} + 1)) runs as expected"
