"""The package's build backend (PEP 517): configures the project with CMake, builds the Python
module and the library in Release, installs both into one folder and packs it as a wheel. Plain
standard library, so that it runs without fetching anything, in pip's isolated build environment
and outside it alike. Only wheels: there is no source distribution; install from the checkout."""

import base64
import hashlib
import os
import pathlib
import re
import subprocess
import sys
import sysconfig
import tempfile
import zipfile

ROOT = pathlib.Path(__file__).resolve().parent.parent
NAME = "dorvellxsd"


def _version() -> str:
    """The project's version, as CMakeLists.txt declares it."""
    match = re.search(r"project\(\s*dorvellxsd\s+VERSION\s+([0-9.]+)", (ROOT / "CMakeLists.txt").read_text())
    if match is None:
        raise RuntimeError("CMakeLists.txt declares no project version")
    return match.group(1)


def _tag() -> str:
    """The wheel's tag: this interpreter, its ABI and platform."""
    interpreter = f"cp{sys.version_info.major}{sys.version_info.minor}"
    platform = sysconfig.get_platform().replace("-", "_").replace(".", "_")
    return f"{interpreter}-{interpreter}-{platform}"


def _cmake(*arguments: str) -> None:
    subprocess.run(["cmake", *arguments], check=True)


def _install(build: pathlib.Path, stage: pathlib.Path, jobs: str) -> pathlib.Path:
    """Builds the module and the library, and installs them into one folder of @p stage."""
    # The library goes into the package's folder, where the module's RPATH ($ORIGIN) finds it.
    package = f"site/{NAME}"
    _cmake("-S", str(ROOT), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release", "-DDORVELLXSD_BUILD_TESTS=OFF",
           "-DDORVELLXSD_BUILD_TOOLS=OFF", "-DDORVELLXSD_BUILD_PYTHON=ON", f"-DPython3_EXECUTABLE={sys.executable}",
           f"-DCMAKE_INSTALL_PREFIX={stage}", "-DDORVELLXSD_PYTHON_INSTALL_DIR=site",
           f"-DCMAKE_INSTALL_LIBDIR={package}")
    _cmake("--build", str(build), "--parallel", jobs, "--target", "dorvellxsd_python")
    for component in ("lib", "python"):
        _cmake("--install", str(build), "--component", component)
    return stage / package


def _files(package: pathlib.Path) -> dict[str, bytes]:
    """The package's files by their name in the wheel. A wheel holds no links: a library is
    stored under its link's name (the SONAME the module asks for), and the file linked to is not
    stored again."""
    linked = {path.resolve() for path in package.iterdir() if path.is_symlink()}
    return {f"{NAME}/{path.name}": path.read_bytes() for path in sorted(package.iterdir())
            if path.is_file() and (path.is_symlink() or path.resolve() not in linked)}


def _record_line(name: str, data: bytes) -> str:
    digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
    return f"{name},sha256={digest},{len(data)}"


def _pack(files: dict[str, bytes], wheel_directory: str) -> str:
    version = _version()
    dist_info = f"{NAME}-{version}.dist-info"
    files[f"{dist_info}/METADATA"] = (f"Metadata-Version: 2.1\nName: {NAME}\nVersion: {version}\n"
                                      "Summary: Schema-bound GML 3 exchange between GDAL/OGR data sources and "
                                      "XSD-described documents\nRequires-Python: >=3.9\n").encode()
    files[f"{dist_info}/WHEEL"] = (f"Wheel-Version: 1.0\nGenerator: {NAME} wheel_backend\n"
                                   f"Root-Is-Purelib: false\nTag: {_tag()}\n").encode()
    record = [_record_line(name, data) for name, data in files.items()] + [f"{dist_info}/RECORD,,"]
    files[f"{dist_info}/RECORD"] = ("\n".join(record) + "\n").encode()
    wheel_name = f"{NAME}-{version}-{_tag()}.whl"
    with zipfile.ZipFile(pathlib.Path(wheel_directory) / wheel_name, "w", zipfile.ZIP_DEFLATED) as wheel:
        for name, data in files.items():
            entry = zipfile.ZipInfo(name)
            entry.external_attr = (0o755 if name.endswith(".so") or ".so." in name else 0o644) << 16
            entry.compress_type = zipfile.ZIP_DEFLATED
            wheel.writestr(entry, data)
    return wheel_name


def get_requires_for_build_wheel(config_settings=None) -> list:
    """Nothing beyond the interpreter: CMake and the compilers are the system's."""
    return []


def build_wheel(wheel_directory, config_settings=None, metadata_directory=None) -> str:
    """Builds the wheel into @p wheel_directory; returns its file name."""
    settings = config_settings or {}
    jobs = str(settings.get("jobs") or os.cpu_count() or 1)
    with tempfile.TemporaryDirectory(prefix="dorvellxsd-wheel-") as work:
        build = pathlib.Path(settings.get("build-dir") or pathlib.Path(work) / "build").resolve()
        package = _install(build, pathlib.Path(work) / "stage", jobs)
        return _pack(_files(package), wheel_directory)
