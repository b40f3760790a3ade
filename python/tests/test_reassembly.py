"""velmora.Reassembler: parts in any order, duplicates, expiry and full storage, no part lost."""
import itertools
import unittest

import velmora

TEXT = "".join(f"part of a long message, line {i:02}. " for i in range(12))  # 3 parts of 153


def parts(text=TEXT, to="+4912345", reference=42, **keywords):
    return [velmora.decode(p.hex) for p in velmora.encode(text, to, reference=reference, **keywords)]


class ReassemblerTest(unittest.TestCase):
    def test_any_order(self):
        ps = parts()
        self.assertEqual(len(ps), 3)
        for order in itertools.permutations(ps):
            with self.subTest(order=[m.part for m in order]):
                r = velmora.Reassembler()
                self.assertEqual([r.feed(m) for m in order[:2]], [[], []])
                self.assertEqual(len(r), 1)
                (whole,) = r.feed(order[2])
                self.assertEqual((whole.text, whole.parts_present, whole.parts_missing, whole.complete),
                                 (TEXT, (1, 2, 3), (), True))
                self.assertEqual((whole.recipient, whole.reference, whole.parts, whole.part, whole.udh),
                                 ("+4912345", 42, 3, None, None))
                self.assertEqual(len(r), 0)

    def test_single_message_is_whole_at_once(self):
        m = velmora.decode(velmora.encode("hello", "1")[0].hex)
        r = velmora.Reassembler()
        (whole,) = r.feed(m)
        self.assertIs(whole, m)
        self.assertEqual(len(r), 0)

    def test_duplicates_ignored(self):
        p1, p2, p3 = parts()
        r = velmora.Reassembler()
        self.assertEqual(r.feed(p1) + r.feed(p1) + r.feed(p3) + r.feed(p1), [])
        (held,) = r.incomplete()
        self.assertEqual((held.parts_present, held.parts_missing, held.complete), ((1, 3), (2,), False))
        self.assertEqual(held.text, p1.text + p3.text)
        self.assertEqual(len(r), 1)  # listing lets nothing go
        (whole,) = r.feed(p2)
        self.assertEqual(whole.text, TEXT)

    def test_data_joined(self):
        data = bytes(range(256)) * 2
        r = velmora.Reassembler()
        pdus = velmora.encode(data, "1", reference=9, port=(2948, 9200))
        (whole,) = [w for p in reversed(pdus) for w in r.feed(velmora.decode(p.hex))]
        self.assertEqual((whole.data, whole.text, whole.destination_port), (data, None, 2948))

    def test_expire(self):
        a, b = parts(reference=1), parts(reference=2)
        r = velmora.Reassembler()
        r.feed(a[0], time=100)
        r.feed(b[1], time=150)
        r.feed(a[1], time=200)  # the earliest part of a message sets its age
        self.assertEqual(r.expire(60, now=159), [])
        (old,) = r.expire(60, now=160)
        self.assertEqual((old.reference, old.parts_present, old.parts_missing), (1, (1, 2), (3,)))
        self.assertEqual([m.reference for m in r.incomplete()], [2])
        (rest,) = r.flush()
        self.assertEqual((rest.reference, rest.parts_present), (2, (2,)))
        self.assertEqual((len(r), r.flush()), (0, []))
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
        self.assertEqual([(m.reference, m.parts_present) for m in r.incomplete()], [(1, (2, 3))])
        # a message of more parts than the slots comes out in pieces, none lost
        r = velmora.Reassembler(capacity=1)
        out = [w for m in a for w in r.feed(m)] + r.flush()
        self.assertEqual([w.parts_present for w in out], [(1,), (2,), (3,)])
        self.assertEqual("".join(w.text for w in out), TEXT)

    def test_arguments(self):
        with self.assertRaises(TypeError):
            velmora.Reassembler().feed(velmora.Message())
        with self.assertRaises(ValueError):
            velmora.Reassembler(capacity=0)
        with self.assertRaises(ValueError):
            velmora.Reassembler().feed(parts()[0], time=-1)


if __name__ == "__main__":
    unittest.main()
