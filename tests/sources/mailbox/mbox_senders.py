#!/usr/bin/env python3
"""The number of messages of an mbox and each one's sender, read by Python's mailbox and email modules.

Prints the count, then one sender a line: the first From address as user@domain, else the From field's
text. An independent reading for the mailbox reader's test.
"""
import email
import email.policy
import mailbox
import sys


def sender(message):
    field = message["From"]
    if field is None:
        return ""
    try:
        addresses = field.addresses
    except Exception:
        return str(field)
    if addresses and addresses[0].addr_spec and addresses[0].addr_spec != "<>":
        return addresses[0].addr_spec
    return str(field)


def main():
    box = mailbox.mbox(sys.argv[1], create=False,
                       factory=lambda f: email.message_from_binary_file(f, policy=email.policy.default))
    senders = [sender(message) for message in box]
    out = sys.stdout.buffer
    out.write(b"%d\n" % len(senders))
    for line in senders:
        out.write(line.encode("utf-8", "surrogateescape") + b"\n")


if __name__ == "__main__":
    main()
