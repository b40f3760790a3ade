# SPDX-License-Identifier: Apache-2.0
"""velmora.Reassembler: parts in any order, duplicates, expiry and full storage, no part lost."""
import itertools
import pickle
import unittest

import velmora

TEXT = "".join(f"part of a long message, line {i:02}. " for i in range(12))  # 3 parts of 153


def parts(text=TEXT, reference=42, **keywords):
    return [velmora.decode(p.hex) for p in velmora.encode(text, "+4912345", reference=reference, **keywords)]


class ReassemblerTest(unittest.TestCase):
    def test_any_order_and_duplicates(self):
        ps = parts()
        for order in itertools.permutations(ps):
            with self.subTest(order=[m.part for m in order]):
                r = velmora.Reassembler()
                out = [w for m in order[:1] + order for w in r.feed(m)]  # the first part twice
                self.assertEqual(len(out), 1)
                whole = out[0]
                self.assertEqual((whole.text, whole.parts_present, whole.complete, whole.part, whole.udh),
                                 (TEXT, (1, 2, 3), True, None, None))
                self.assertEqual((whole.recipient, whole.reference, whole.parts, len(r)), ("+4912345", 42, 3, 0))
        single = velmora.decode(velmora.encode("hello", "1")[0].hex)
        self.assertEqual(velmora.Reassembler().feed(single)[0], single)
        data = bytes(range(256)) * 2
        r = velmora.Reassembler()
        (joined,) = [w for m in reversed(parts(data, port=(2948, 9200))) for w in r.feed(m)]
        self.assertEqual((joined.data, joined.text, joined.destination_port), (data, None, 2948))

    def test_incomplete_expire_and_flush(self):
        a, b = parts(reference=1), parts(reference=2)
        r = velmora.Reassembler()
        r.feed(a[0], time=100)
        r.feed(b[1], time=150)
        r.feed(a[2], time=200)  # the earliest part of a message sets its age
        held = r.incomplete()
        self.assertEqual([(m.reference, m.parts_present, m.parts_missing) for m in held],
                         [(1, (1, 3), (2,)), (2, (2,), (1, 3))])
        self.assertEqual((held[0].text, len(r)), (a[0].text + a[2].text, 2))  # listing lets nothing go
        self.assertEqual(pickle.loads(pickle.dumps(held[1])), held[1])
        self.assertEqual(r.expire(60, now=159), [])
        self.assertEqual([m.reference for m in r.expire(60, now=160)], [1])
        self.assertEqual(([m.reference for m in r.flush()], len(r), r.flush()), ([2], 0, []))
        r.feed(a[2])
        self.assertEqual(len(r.expire(0)), 1)  # the default clock: time.time()

    def test_full_storage_lets_the_oldest_out(self):
        a, b = parts(reference=1), parts(reference=2)
        r = velmora.Reassembler(capacity=2)
        self.assertEqual(r.feed(b[0], time=20) + r.feed(a[0], time=10), [])
        (out,) = r.feed(a[1], time=30)
        self.assertEqual((out.reference, out.parts_present, out.complete), (1, (1,), False))
        (out,) = r.feed(a[2], time=40)  # b[0] now the oldest
        self.assertEqual((out.reference, out.parts_present), (2, (1,)))
        # a message of more parts than the slots comes out in pieces, none lost
        r = velmora.Reassembler(capacity=1)
        out = [w for m in a for w in r.feed(m)] + r.flush()
        self.assertEqual(([w.parts_present for w in out], "".join(w.text for w in out)), ([(1,), (2,), (3,)], TEXT))

    def test_arguments(self):
        for bad in [lambda: velmora.Reassembler(capacity=0), lambda: velmora.Reassembler().feed(parts()[0], time=-1)]:
            self.assertRaises(ValueError, bad)
        r = velmora.Reassembler()
        r.feed(parts()[0])
        self.assertRaises(TypeError, r.feed, r.flush()[0])  # a JoinedMessage is no part
