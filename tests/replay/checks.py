"""The replay tests' verdicts: a line "ok: ..." or "FAILED: ..." for each check, and at the end
the count of failures and the exit status (1 when any failed)."""

failures = []


def check(condition, description) -> bool:
    print(("ok: " if condition else "FAILED: ") + description)
    if not condition:
        failures.append(description)
    return bool(condition)


def exit_status() -> int:
    print("all passed" if not failures else "%d failed" % len(failures))
    return 1 if failures else 0
