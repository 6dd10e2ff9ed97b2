#!/usr/bin/env python3
"""One run at a time on a machine: while another run holds its turn, the program waits and says
so on row 20, then goes on when the turn is free and clears the line. (Wine enforces no security
descriptors; the refused and the abandoned turn are shown on the simulated machine.)"""

import unittest

import winerun
from sanivo_e2e import PageChecks, install_release

WAITING = "Čeká se, až skončí jiný běh programu . . ."


class RunsTakeTurns(PageChecks):
    def test_a_run_waits_for_the_run_before_it(self):
        with winerun.Scenario(version="win10") as scenario:
            exe = install_release(scenario)
            scenario.start_session()
            holder_exe = scenario.install(winerun.program("holdturn"), r"C:\tools")
            holder = self.start_holder(
                scenario, [holder_exe, r"Global\MOREK-Sanivo", r"C:\holding.txt", r"C:\release.txt"],
                scenario.drive_c / "holding.txt", "took the turn")

            seen = []

            def release_once_waiting(screen: winerun.Screen) -> bool:
                if screen.text(10, 20, len(WAITING)) != WAITING:
                    return False
                seen.append(screen)
                (scenario.drive_c / "release.txt").write_bytes(b"")
                return True

            result = scenario.run_console(exe, ["-tise"], timeout=90, watch=release_once_waiting)

            self.assertEqual(len(seen), 1, "the program never said it was waiting")
            self.assertColours(seen[0], 10, 20, "silver", None)
            self.assertEqual(holder.wait(timeout=60), 0)
            self.assertEqual(result.exit_code, 0, str(result.screen))
            line = "tento systém nepotřebuje nijak opravit"
            self.assertEqual(result.screen.text(10, 6, len(line)), line)
            self.assertEqual(result.screen.row(20).strip(), "")


if __name__ == "__main__":
    unittest.main()
