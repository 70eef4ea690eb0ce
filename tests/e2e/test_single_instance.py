"""One copy per user: a second start hands over to the first and ends at once."""
import time

from conftest import start


def test_second_start_ends_with_status_zero_while_the_first_keeps_running(installer):
    first = start(installer)
    try:
        # The first copy must own the mutex before the second starts.
        time.sleep(4)
        assert first.poll() is None, "the first copy ended by itself"
        began = time.monotonic()
        second = start(installer)
        assert second.wait(timeout=30) == 0
        assert time.monotonic() - began < 30
        time.sleep(1)
        assert first.poll() is None, "the first copy must keep running"
    finally:
        first.kill()
        first.wait(timeout=30)
