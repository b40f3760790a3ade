# SPDX-License-Identifier: Apache-2.0
"""The package itself: its ctypes structs against the C header, finding the library, its typed API."""
import ctypes
import ctypes.util
import doctest
import inspect
import os
import re
import subprocess
import sys
import unittest

import velmora
import velmora_build  # the backend, beside the package on PYTHONPATH
from velmora import _capi

PACKAGE_DIR = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
STRUCTS = {"velmora_" + re.sub(r"(?<!^)([A-Z])", r"_\1", name).lower(): getattr(_capi, name) for name in
           "Error Address Time Waiting Element Message SubmitOptions Pdu CountResult Reassembly Group ModemReader "
           "ModemEntry".split()}
DECODE_HELLO = "velmora.decode('00040B912143658709F100001220413160508005E8329BFD06').text"


def import_velmora(**environment):
    """Runs `import velmora` in a new interpreter with the environment changed (None: unset)."""
    env = {k: v for k, v in {**os.environ, **environment}.items() if v is not None}
    env["PYTHONPATH"] = os.pathsep.join(p for p in [PACKAGE_DIR, env.get("PYTHONPATH")] if p)
    return subprocess.run([sys.executable, "-c", f"import velmora; print({DECODE_HELLO})"], env=env,
                          capture_output=True, text=True, timeout=120)


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
        mirrored = {(struct, "from" if name == "from_" else name)
                    for struct, cls in STRUCTS.items() for name, _ in cls._fields_}
        self.assertEqual(mirrored, {(row[0], row[1]) for row in rows if row[1] != "-"})


class LoadingTest(unittest.TestCase):
    def test_examples_of_the_docstrings(self):
        failed, attempted = doctest.testmod(velmora)
        self.assertEqual((failed, attempted >= 2), (0, True))

    def test_versions_agree(self):
        declared = velmora_build._project()["version"]
        self.assertEqual((velmora.__version__, velmora.library_version), (declared, declared))

    def test_finding_the_library(self):
        library = os.path.abspath(os.environ.get("VELMORA_LIBRARY") or "libvelmora-sms.so.1")
        rows = [  # environment, what stderr says (None: the import works)
            (dict(VELMORA_LIBRARY="/nonexistent/libvelmora-sms.so.1"), "ImportError: velmora: VELMORA_LIBRARY names "
             "a library that cannot be loaded: /nonexistent/libvelmora-sms.so.1"),
            (dict(VELMORA_LIBRARY=ctypes.util.find_library("c")), "ImportError: velmora: libc.so.6 is not "
             "libvelmora-sms"),
            (dict(VELMORA_LIBRARY=None, LD_LIBRARY_PATH=os.path.dirname(library)), None),
        ]
        for environment, error in rows:
            with self.subTest(environment=environment):
                p = import_velmora(**environment)
                self.assertEqual((p.stdout, p.stderr) if error is None else error in p.stderr,
                                 ("hello\n", "") if error is None else True, p.stderr)
        p = import_velmora(VELMORA_LIBRARY=None, LD_LIBRARY_PATH=None)
        if p.returncode != 0:  # unless installed on this machine: what was tried
            self.assertIn("ImportError: velmora: libvelmora-sms.so.1 not found; tried VELMORA_LIBRARY (not set), "
                          "libvelmora-sms.so.1 (", p.stderr)


class TypedApiTest(unittest.TestCase):
    def test_every_public_callable_is_annotated_and_documented(self):
        for name in velmora.__all__:
            thing = getattr(velmora, name)
            members = vars(thing).items() if inspect.isclass(thing) else [(name, thing)]
            functions = [m.fget if isinstance(m, property) else m for n, m in members
                         if isinstance(m, property) or inspect.isfunction(m) and not n.startswith("_")]
            for function in functions:
                with self.subTest(function=function.__qualname__):
                    signature = inspect.signature(function)
                    unannotated = [p.name for p in signature.parameters.values()
                                   if p.annotation is inspect.Parameter.empty and p.name != "self"]
                    self.assertEqual(unannotated, [])
                    self.assertIsNot(signature.return_annotation, inspect.Signature.empty)
            self.assertTrue(callable(thing) is False or thing.__doc__, name)
