#!/usr/bin/env bash
# The AppStream metainfo passes appstreamcli validate and its newest release
# is the version being built.
#   metainfo_test.sh METAINFO VERSION
set -euo pipefail
metainfo=$1 version=$2
appstreamcli validate --no-net "$metainfo"
newest=$(grep -o '<release version="[^"]*"' "$metainfo" | head -1 | cut -d'"' -f2)
if [[ $newest != "$version" ]]; then
  echo "the newest release in $metainfo is $newest, the build is $version" >&2
  exit 1
fi
