#!/usr/bin/env bash
# Compiles one-line probes against the layer views of the build: an include of the library's own
# layer or a layer below must compile, an include of a layer above must not be found.
# Usage: view_probe.sh CXX LAYERS_DIR
set -uo pipefail
cxx=$1
layers=$2
failed=0

probe() {
  local expect=$1 target=$2 header=$3 output
  output=$(printf '#include "%s"\n' "${header}" |
    "${cxx}" -std=c++20 -fsyntax-only -I"${layers}/${target}" -x c++ - 2>&1)
  local status=$?
  if [[ ${expect} == found && ${status} -ne 0 ]]; then
    echo "FAIL: ${target} cannot include ${header}:"
    echo "${output}" | head -3
    failed=1
  elif [[ ${expect} == refused && ( ${status} -eq 0 || ${output} != *"No such file"* ) ]]; then
    echo "FAIL: ${target} reaches ${header} (status ${status})"
    failed=1
  fi
}

#     expect   library          header
probe found   velmora_core     core/env.h
probe found   velmora_core     velmora/base/error.h
probe found   velmora_core     velmora/db/recordset.h
probe found   velmora_routing  core/labels.h
probe found   velmora_email    routing/xml_text.h
probe refused velmora_core     routing/xml_text.h
probe refused velmora_core     velmora/routing/utility.h
probe refused velmora_base     core/env.h
probe refused velmora_routing  routing/email/mail_texts.h
probe refused velmora_document velmora/publish/publish_create_document.h
exit ${failed}
