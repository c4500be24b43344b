#!/usr/bin/env python3
"""Every winget manifest, the tracked ones and the build's copy, is valid
under winget's 1.6.0 schemas (packaging/winget/schema/), read as winget reads
YAML. A manifest that is not stops winget before it downloads anything.
  winget_schema_test.py <source dir>"""
import glob
import json
import os
import sys

import jsonschema
import yaml

root = sys.argv[1]
schemas = {}
for path in glob.glob(os.path.join(root, "packaging/winget/schema/manifest.*.1.6.0.json")):
    with open(path, encoding="utf-8") as f:
        schema = json.load(f)
    jsonschema.Draft202012Validator.check_schema(schema)
    schemas[os.path.basename(path).split(".")[1]] = jsonschema.Draft202012Validator(schema)


def problems(text):
    """What the schema of the manifest's own type finds wrong with it."""
    manifest = yaml.safe_load(text)
    validator = schemas.get(manifest.get("ManifestType"))
    if validator is None:
        return ["no 1.6.0 schema for ManifestType %r" % manifest.get("ManifestType")]
    return ["%s: %s" % ("/".join(map(str, e.absolute_path)), e.message) for e in validator.iter_errors(manifest)]


failed = 0
checked = 0
for folder in ("packaging/winget", "build/win32/winget"):
    for path in sorted(glob.glob(os.path.join(root, folder, "*.yaml"))):
        with open(path, encoding="utf-8") as f:
            found = problems(f.read())
        checked += 1
        for problem in found:
            print("FAILED: %s: %s" % (os.path.relpath(path, root), problem))
        failed += bool(found)

# The check itself bites: what the shipped manifest did wrong fails.
with open(os.path.join(root, "packaging/winget/Corvaline.Corvaline.installer.yaml"), encoding="utf-8") as f:
    good = f.read()
broken = {
    "a hash YAML reads as a number": good.replace("'" + "0" * 64 + "'", "0" * 64),
    "an exit code winget has no response for": good.replace("ReturnResponse: cancelledByUser", "ReturnResponse: cancelled"),
    "an installer without its address": "\n".join(l for l in good.splitlines() if "InstallerUrl:" not in l),
}
for name, text in broken.items():
    if text == good or not problems(text):
        print("FAILED: the schema check passes %s" % name)
        failed += 1

if sorted(schemas) != ["defaultLocale", "installer", "locale", "singleton", "version"] or checked < 3:
    print("FAILED: schemas %s, %d manifests" % (sorted(schemas), checked))
    failed += 1
print("%d manifests checked against the 1.6.0 schemas, %d failed" % (checked, failed))
sys.exit(1 if failed else 0)
