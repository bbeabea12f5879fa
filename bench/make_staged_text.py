#!/usr/bin/env python3
"""Writes a staging-shaped text of about SIZE megabytes: an empty line, then per message a sender line and
body lines, CR LF line ends, some non-ASCII letters. With "european" as third argument the words are
German, French and Nordic, and about 70% of the lines hold letters such as Ü, ß, é, Å. The same seed gives
the same file."""
import random
import sys

size_mb = int(sys.argv[1]) if len(sys.argv) > 1 else 1024
path = sys.argv[2]
rng = random.Random(20261206)

names = ["ann", "bob", "carla", "dmitri", "eva", "frank", "gunilla", "hiro", "ines", "jonas", "zoë", "łukasz"]
domains = ["example.org", "mail.example.com", "post.example.net", "univ.example.edu"]
words = ("the invoice for march is attached please find meeting tomorrow at ten regards thanks "
         "project schedule budget review draft report customer order shipping delayed café naïve "
         "résumé straße привет данные 東京 agenda minutes follow up call notes quarterly figures").split()

if len(sys.argv) > 3 and sys.argv[3] == "european":
    words = ("Überweisung für die Rechnung straße Grüße Größe müssen später café réunion été déjà "
             "Åse sjö år över Möte tack hälsningar bitte danke heute morgen und der die das le la les "
             "de pour avec the invoice order meeting").split()

lines = []
for _ in range(60000):
    kind = rng.random()
    if kind < 0.15:
        lines.append(f"{rng.choice(names)}.{rng.choice(names)}@{rng.choice(domains)}")
    elif kind < 0.25:
        lines.append("")
    elif kind < 0.30:
        lines.append(f"> On {rng.randint(1, 28)}.{rng.randint(1, 12)}.2003, {rng.choice(names).title()} wrote:")
    else:
        lines.append(" ".join(rng.choice(words) for _ in range(rng.randint(3, 16))).capitalize())
encoded = [line.encode("utf-8") + b"\r\n" for line in lines]

target = size_mb * 1024 * 1024
written = 0
with open(path, "wb") as out:
    out.write(b"\r\n")
    while written < target:
        chunk = b"".join(rng.choices(encoded, k=20000))
        out.write(chunk)
        written += len(chunk)
