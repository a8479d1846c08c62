"""The Python tests' verdicts: a line "ok: ..." or "FAILED: ..." for each check (with what was
wrong beneath a failure), and at the end the count of failures and the exit status (1 when any
failed)."""

failures = []


def check(condition, description, details=()) -> bool:
    print(("ok: " if condition else "FAILED: ") + description)
    if not condition:
        for line in details:
            if line:
                print("    " + line)
        failures.append(description)
    return bool(condition)


def exit_status() -> int:
    print("all checks passed" if not failures else "%d check(s) failed" % len(failures))
    return 1 if failures else 0
