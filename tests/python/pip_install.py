"""`pip install .` of the checkout into a fresh virtual environment, offline, with pip's build
isolation and without it; the package installed there imports and works from any folder.

    pip_install.py SOURCE_DIR WORK_DIR EXAMPLES_DIR

WORK_DIR keeps the CMake build between runs, so that only the first builds the library.
"""

import os
import pathlib
import shutil
import subprocess
import sys

source, work, examples = (pathlib.Path(argument).resolve() for argument in sys.argv[1:4])
environment = work / "venv"
work.mkdir(parents=True, exist_ok=True)
shutil.rmtree(environment, ignore_errors=True)
subprocess.run([sys.executable, "-m", "venv", "--system-site-packages", str(environment)], check=True)
python = str(environment / "bin" / "python")
# Nothing of the build tree or the checkout may stand in for what pip installed.
clean = {key: value for key, value in os.environ.items() if not key.startswith("PYTHON")}
# The backend runs from the checkout, which keeps no byte code of it.
clean["PYTHONDONTWRITEBYTECODE"] = "1"
settings = ["--config-settings", f"build-dir={work / 'build'}", "--config-settings", "jobs=2"]
for isolation in ([], ["--no-build-isolation", "--force-reinstall"]):
    subprocess.run([python, "-m", "pip", "install", "--no-index", "--quiet", *isolation, *settings, str(source)],
                   check=True, env=clean)

check = f"""
import pathlib, dorvellxsd
assert pathlib.Path(dorvellxsd.__file__).is_relative_to({str(environment)!r}), dorvellxsd.__file__
tables = [t.name for t in dorvellxsd.read_schema({str(examples / 'pelmak.xsd')!r})]
assert "Building" in tables, tables
print(dorvellxsd.__version__)
"""
version = subprocess.run([python, "-c", check], check=True, env=clean, cwd=work, capture_output=True,
                         text=True).stdout.strip()
expected = subprocess.run([python, "-m", "pip", "show", "dorvellxsd"], check=True, env=clean,
                          capture_output=True, text=True).stdout
if f"Version: {version}" not in expected:
    sys.exit(f"the installed package says version {version}, pip installed:\n{expected}")
print(f"dorvellxsd {version} installed and imported from {environment}")
