#!/usr/bin/env python3
"""Stages an mbox as quillmere-cli --mailbox does, with Python's mailbox and email modules: per message the
sender (the first From address as user@domain, else the field's text) and the body (plain text, else HTML, through
get_body and get_content), written as CR LF records. The side being compared with; see stage_mbox_vs_python.sh.

Usage: stage_mbox_vs_python.py MBOX OUT
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
        if addresses and addresses[0].addr_spec:
            return addresses[0].addr_spec
    except Exception:
        pass
    return str(field)


def body(message):
    try:
        part = message.get_body(preferencelist=("plain", "html"))
        return part.get_content() if part is not None else ""
    except Exception:
        return ""


def main():
    box = mailbox.mbox(sys.argv[1], create=False,
                       factory=lambda f: email.message_from_binary_file(f, policy=email.policy.default))
    with open(sys.argv[2], "w", encoding="utf-8", errors="surrogateescape", newline="") as out:
        out.write("\r\n")
        for message in box:
            out.write(sender(message) + "\r\n")
            out.write(body(message).replace("\r\n", "\n").replace("\n", "\r\n") + "\r\n")


if __name__ == "__main__":
    main()
