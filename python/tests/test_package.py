"""The package itself: its ctypes structs against the C header, finding the library, installing."""
import ctypes
import ctypes.util
import doctest
import os
import subprocess
import sys
import tempfile
import unittest

import velmora
import velmora_build
from velmora import _capi

PACKAGE_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
STRUCTS = {"velmora_error": _capi.Error, "velmora_address": _capi.Address, "velmora_time": _capi.Time,
           "velmora_waiting": _capi.Waiting, "velmora_element": _capi.Element, "velmora_message": _capi.Message,
           "velmora_submit_options": _capi.SubmitOptions, "velmora_pdu": _capi.Pdu,
           "velmora_count_result": _capi.CountResult,
           "velmora_reassembly": _capi.Reassembly, "velmora_group": _capi.Group}


def import_velmora(**environment):
    """Runs `import velmora` in a new interpreter with the environment changed (None: unset)."""
    env = {k: v for k, v in {**os.environ, **environment}.items() if v is not None}
    env["PYTHONPATH"] = os.pathsep.join(p for p in [PACKAGE_DIR, env.get("PYTHONPATH")] if p)
    return subprocess.run([sys.executable, "-c", "import velmora; print(velmora.decode('00040B912143658709F1"
                           "00001220413160508005E8329BFD06').text)"], env=env, capture_output=True, text=True,
                          timeout=120)


class LayoutTest(unittest.TestCase):
    @unittest.skipUnless(os.environ.get("VELMORA_LAYOUT"), "VELMORA_LAYOUT: the layout program of the build")
    def test_structs_as_the_c_compiler_lays_them_out(self):
        lines = subprocess.run([os.environ["VELMORA_LAYOUT"]], capture_output=True, text=True,
                               check=True).stdout.split("\n")
        rows = [line.split() for line in lines if line]
        self.assertEqual({row[0] for row in rows}, set(STRUCTS))
        for struct, member, offset, size in rows:
            with self.subTest(struct=struct, member=member):
                cls = STRUCTS[struct]
                if member == "-":
                    self.assertEqual(ctypes.sizeof(cls), int(size))
                else:
                    field = getattr(cls, "from_" if member == "from" else member)
                    self.assertEqual((field.offset, field.size), (int(offset), int(size)))
        named = {(row[0], row[1]) for row in rows}
        for struct, cls in STRUCTS.items():
            for name, _ in cls._fields_:
                self.assertIn((struct, "from" if name == "from_" else name), named)


class LoadingTest(unittest.TestCase):
    def test_examples_of_the_docstrings(self):
        failed, attempted = doctest.testmod(velmora)
        self.assertEqual((failed, attempted >= 2), (0, True))

    def test_versions_agree(self):
        declared = velmora_build._project()["version"]
        self.assertEqual((velmora.__version__, velmora.library_version), (declared, declared))

    def test_velmora_library_names_a_missing_file(self):
        p = import_velmora(VELMORA_LIBRARY="/nonexistent/libvelmora-sms.so.1")
        self.assertNotEqual(p.returncode, 0)
        self.assertIn("ImportError: velmora: VELMORA_LIBRARY names a library that cannot be loaded: "
                      "/nonexistent/libvelmora-sms.so.1", p.stderr)

    def test_another_library(self):
        p = import_velmora(VELMORA_LIBRARY=ctypes.util.find_library("c"))
        self.assertIn("ImportError: velmora: libc.so.6 is not libvelmora-sms", p.stderr)

    def test_not_found_names_what_was_tried(self):
        p = import_velmora(VELMORA_LIBRARY=None, LD_LIBRARY_PATH=None)
        if p.returncode == 0:
            self.skipTest("libvelmora-sms.so.1 is installed on this machine")
        self.assertIn("ImportError: velmora: libvelmora-sms.so.1 not found; tried VELMORA_LIBRARY (not set), "
                      "libvelmora-sms.so.1 (", p.stderr)
        self.assertIn("ctypes.util.find_library('velmora-sms')", p.stderr)

    def test_loader_path(self):
        library = os.environ.get("VELMORA_LIBRARY")
        if not library:
            self.skipTest("VELMORA_LIBRARY is not set")
        p = import_velmora(VELMORA_LIBRARY=None, LD_LIBRARY_PATH=os.path.dirname(os.path.abspath(library)))
        self.assertEqual((p.stdout, p.stderr), ("hello\n", ""))


class InstallTest(unittest.TestCase):
    def test_pip_installs_offline(self):
        """pip builds the wheel with the package's own backend and installs it, no index."""
        with tempfile.TemporaryDirectory() as target:
            p = subprocess.run([sys.executable, "-m", "pip", "install", "--no-build-isolation", "--no-index",
                                "--no-cache-dir", "--disable-pip-version-check", "--quiet", "--target", target,
                                PACKAGE_DIR], capture_output=True, text=True, timeout=300)
            if p.returncode != 0 and "No module named pip" in p.stderr:
                self.skipTest("no pip for " + sys.executable)
            self.assertEqual(p.returncode, 0, p.stderr)
            installed = set(os.listdir(os.path.join(target, "velmora"))) - {"__pycache__"}
            self.assertEqual(installed, {"__init__.py", "_capi.py", "_encode.py", "_message.py", "_reassembly.py"})
            env = {**os.environ, "PYTHONPATH": target}
            if "VELMORA_LIBRARY" in env:
                env["VELMORA_LIBRARY"] = os.path.abspath(env["VELMORA_LIBRARY"])
            p = subprocess.run([sys.executable, "-c", "import velmora; print(velmora.__file__)"], env=env, cwd=target,
                               capture_output=True, text=True, timeout=120)
            self.assertEqual(p.stdout, os.path.join(target, "velmora", "__init__.py") + "\n", p.stderr)


if __name__ == "__main__":
    unittest.main()
