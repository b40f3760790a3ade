# SPDX-License-Identifier: Apache-2.0
"""A PEP 517 build backend in the standard library alone: the velmora package as a
pure-Python wheel (py3-none-any), an editable wheel, or a source archive."""
import base64
import hashlib
import io
import os
import re
import tarfile
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
PACKAGE = "velmora"
SDIST_FILES = ["pyproject.toml", "velmora_build.py"]


def _version():
    """The CMake project's version: from PKG-INFO in a source archive, else from ../CMakeLists.txt."""
    for path, pattern in ((os.path.join(HERE, "PKG-INFO"), r"(?m)^Version: (\S+)$"),
                          (os.path.join(HERE, "..", "CMakeLists.txt"), r"project\(velmora VERSION ([0-9.]+)")):
        if os.path.exists(path):
            with open(path, encoding="utf-8") as f:
                return re.search(pattern, f.read()).group(1)
    raise FileNotFoundError("velmora_build: no ../CMakeLists.txt or PKG-INFO to take the version from")


def _license_file():
    """The licence text: LICENSE beside this file in a source archive, else the project's."""
    path = os.path.join(HERE, "LICENSE")
    return path if os.path.exists(path) else os.path.join(HERE, "..", "LICENSE")


def _project():
    """The string values of pyproject.toml's [project] table, read without tomllib (which
    Python 3.9 and 3.10, declared in requires-python, lack)."""
    table, project = None, {}
    with open(os.path.join(HERE, "pyproject.toml"), encoding="utf-8") as f:
        for line in f:
            header = re.fullmatch(r"\s*\[([^\]]+)\]\s*(#.*)?", line)
            value = re.fullmatch(r'\s*([A-Za-z0-9_-]+)\s*=\s*"((?:[^"\\]|\\.)*)"\s*(#.*)?', line)
            if header:
                table = header.group(1).strip()
            elif table == "project" and value:
                project[value.group(1)] = re.sub(r"\\(.)", r"\1", value.group(2))
    return {**project, "version": _version()}


def _metadata(project):
    return (f"Metadata-Version: 2.4\nName: {project['name']}\nVersion: {project['version']}\n"
            f"Summary: {project['description']}\nLicense-Expression: {project['license']}\nLicense-File: LICENSE\n"
            f"Requires-Python: {project['requires-python']}\n").encode()


def _sources(directory):
    """The files of a directory tree in a stable order, without compiled ones."""
    for root, dirs, files in os.walk(os.path.join(HERE, directory)):
        dirs[:] = sorted(d for d in dirs if d != "__pycache__")
        for name in sorted(files):
            if not name.endswith((".pyc", ".pyo")):
                path = os.path.join(root, name)
                yield os.path.relpath(path, HERE).replace(os.sep, "/"), path


def _wheel(wheel_directory, files):
    """Writes a wheel of `files` ((name in the archive, bytes) pairs) and its dist-info."""
    project = _project()
    dist_info = f"{project['name']}-{project['version']}.dist-info"
    files = list(files) + [
        (f"{dist_info}/METADATA", _metadata(project)),
        (f"{dist_info}/licenses/LICENSE", _read(_license_file())),
        (f"{dist_info}/WHEEL", b"Wheel-Version: 1.0\nGenerator: velmora_build\nRoot-Is-Purelib: true\n"
                               b"Tag: py3-none-any\n"),
    ]
    record = io.StringIO()
    for name, data in files:
        digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
        record.write(f"{name},sha256={digest},{len(data)}\n")
    record.write(f"{dist_info}/RECORD,,\n")
    files.append((f"{dist_info}/RECORD", record.getvalue().encode()))
    wheel_name = f"{project['name']}-{project['version']}-py3-none-any.whl"
    with zipfile.ZipFile(os.path.join(wheel_directory, wheel_name), "w", zipfile.ZIP_DEFLATED) as archive:
        for name, data in files:
            entry = zipfile.ZipInfo(name, date_time=(1980, 1, 1, 0, 0, 0))
            entry.external_attr = 0o644 << 16
            archive.writestr(entry, data, zipfile.ZIP_DEFLATED)
    return wheel_name


def _read(path):
    with open(path, "rb") as f:
        return f.read()


def get_requires_for_build_wheel(config_settings=None):
    return []


get_requires_for_build_sdist = get_requires_for_build_editable = get_requires_for_build_wheel


def build_wheel(wheel_directory, config_settings=None, metadata_directory=None):
    return _wheel(wheel_directory, ((name, _read(path)) for name, path in _sources(PACKAGE)))


def build_editable(wheel_directory, config_settings=None, metadata_directory=None):
    """A wheel whose .pth file puts this directory on sys.path."""
    return _wheel(wheel_directory, [(f"__editable__.{PACKAGE}.pth", (HERE + "\n").encode())])


def build_sdist(sdist_directory, config_settings=None):
    project = _project()
    base = f"{project['name']}-{project['version']}"
    members = [(name, os.path.join(HERE, name)) for name in SDIST_FILES] + [("LICENSE", _license_file())]
    members += list(_sources(PACKAGE)) + list(_sources("tests"))
    with tarfile.open(os.path.join(sdist_directory, base + ".tar.gz"), "w:gz", format=tarfile.PAX_FORMAT) as tar:
        for name, path in members:
            tar.add(path, f"{base}/{name}", recursive=False)
        info = tarfile.TarInfo(f"{base}/PKG-INFO")
        data = _metadata(project)
        info.size, info.mode = len(data), 0o644
        tar.addfile(info, io.BytesIO(data))
    return base + ".tar.gz"
