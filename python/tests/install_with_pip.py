# SPDX-License-Identifier: Apache-2.0
"""Installing with pip, offline, with every Python the package declares. A ctest of its own
(python_pip_install): it takes seconds where the rest of the Python tests take less than one."""
import glob
import os
import re
import subprocess
import sys
import tempfile
import unittest

from test_package import DECODE_HELLO, PACKAGE_DIR

# The interpreters of requires-python on this machine: Debian's and pyenv's, 3.9 and newer
# (this one alone with a sanitizer's runtime preloaded).
PYTHONS = [sys.executable] if os.environ.get("LD_PRELOAD") else sorted(
    {p for p in ["/usr/bin/python3", sys.executable]
     + glob.glob(os.path.expanduser("~/.pyenv/versions/3.*/bin/python3"))
     if os.path.exists(p) and not re.search(r"/3\.[0-8]\.", p)})


class InstallTest(unittest.TestCase):
    def test_pip_installs_offline_with_every_declared_python(self):
        """pip builds the wheel with the package's own backend and installs it, no index, for each
        interpreter from 3.9 up found here (Debian's, pyenv's); the package imports and decodes."""
        for python in PYTHONS:
            with self.subTest(python=python), tempfile.TemporaryDirectory() as target:
                p = subprocess.run([python, "-m", "pip", "install", "--no-build-isolation", "--no-index",
                                    "--no-cache-dir", "--disable-pip-version-check", "--quiet", "--target", target,
                                    PACKAGE_DIR], capture_output=True, text=True, timeout=300)
                if p.returncode != 0 and "No module named pip" in p.stderr:
                    continue
                self.assertEqual(p.returncode, 0, p.stderr)
                installed = set(os.listdir(os.path.join(target, "velmora"))) - {"__pycache__"}
                self.assertEqual(installed, {"__init__.py", "_capi.py", "_encode.py", "_errors.py", "_message.py", "_modem.py",
                                             "_reassembly.py", "py.typed"})
                env = {**os.environ, "PYTHONPATH": target}
                if env.get("VELMORA_LIBRARY"):
                    env["VELMORA_LIBRARY"] = os.path.abspath(env["VELMORA_LIBRARY"])
                p = subprocess.run([python, "-c", f"import velmora; print(velmora.__file__, {DECODE_HELLO})"],
                                   env=env, cwd=target, capture_output=True, text=True, timeout=120)
                self.assertEqual(p.stdout, os.path.join(target, "velmora", "__init__.py") + " hello\n", p.stderr)
