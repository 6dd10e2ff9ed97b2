#!/usr/bin/env python3
"""The affinity repair on Windows XP: the real sanivo.exe and our IMAGECFG.EXE patch a stand-in
NTVDM.EXE that has a load-configuration directory, and its two cached copies."""

import datetime
import os
import subprocess
import threading
import time
import unittest
from pathlib import Path, PureWindowsPath

import pe_facts
import winerun
from sanivo_e2e import APP_DIR, PageChecks, SUCCESS, install_release, run_with_command_line

LIVE = r"C:\windows\system32\NTVDM.EXE"
CACHED = (r"C:\windows\system32\dllcache\NTVDM.EXE",
          r"C:\windows\ServicePackFiles\i386\NTVDM.EXE")
CACHED_COPY_NOT_REPLACED = "Nelze nahradit kopii NTVDM.EXE v mezipaměti systému"


def today() -> str:
    return datetime.date.today().strftime("%Y%m%d")


class NtvdmAffinityRepair(PageChecks):
    def setUp(self):
        self.scenario = winerun.Scenario(version="winxp").__enter__()
        self.addCleanup(self.scenario.close)
        # Wine empties dllcache when a Wine session starts: start the session first and put
        # the cached copy in afterwards.
        self.scenario.start_session()
        self.original = winerun.program("ntvdm_fixture").read_bytes()
        self.assertEqual(pe_facts.affinity_mask(self.original), 0)
        for path in (LIVE, *CACHED):
            self.put(path, self.original)
        self.exe = install_release(self.scenario, "IMAGECFG.EXE")

    def put(self, windows_path: str, content: bytes) -> None:
        host = self.scenario.host_path(windows_path)
        host.parent.mkdir(parents=True, exist_ok=True)
        host.write_bytes(content)

    def content(self, windows_path: str) -> bytes:
        return self.scenario.host_path(windows_path).read_bytes()

    def repair(self, arguments: str = "", bottom_edge: bool = True,
               cwd: str | None = None) -> winerun.ConsoleResult:
        result = run_with_command_line(self.scenario, self.exe, arguments, cwd=cwd)
        self.assertEqual(result.exit_code, 0, str(result.screen))
        self.assertPainted(result.screen, bottom_edge)
        heading = "- oprava problému s vícejádrovými procesory . . ."
        self.assertEqual(result.screen.text(10, 6, len(heading)), heading)
        return result

    def assertPatched(self, windows_path: str) -> None:
        image = self.content(windows_path)
        self.assertEqual(pe_facts.affinity_mask(image), 1, windows_path)
        self.assertEqual(pe_facts.stored_checksum(image), pe_facts.computed_checksum(image),
                         windows_path)

    def assertNothingChanged(self) -> None:
        for path in (LIVE, *CACHED):
            self.assertEqual(self.content(path), self.original, path)

    def work_copies(self) -> list:
        return list((self.scenario.drive_c / "users").rglob("Morek-Sanivo/ntvdm.exe"))

    def test_patches_live_file_and_cached_copies_after_a_dated_backup(self):
        result = self.repair(r" -zaloha:C:\zal\a\b\ ")
        self.assertStatus(result.screen, SUCCESS, "lime")
        for path in (LIVE, *CACHED):
            self.assertPatched(path)
        self.assertEqual(self.content(rf"C:\zal\a\b\{today()}.bak"), self.original)
        self.assertEqual(self.work_copies(), [])

    def test_a_second_run_on_the_same_day_keeps_the_first_backup(self):
        # A value ending in "/" names a directory as one ending in "\\" does.
        for run in (1, 2):
            result = self.repair(r" -zaloha:C:\zal\fw/")
            self.assertStatus(result.screen, SUCCESS, "lime")
        self.assertEqual(self.content(rf"C:\zal\fw\{today()}.bak"), self.original)
        self.assertEqual(self.content(rf"C:\zal\fw\{today()}-2.bak"), self.content(LIVE))
        self.assertPatched(LIVE)

    def test_backup_cut_short_is_never_left_under_its_name(self):
        # The backup is the first file the run writes; the limit cuts it and ends the program.
        run_with_command_line(self.scenario, self.exe, " -zaloha:C:\\zal\\", file_size_limit=8192)
        self.assertFalse(self.scenario.host_path(rf"C:\zal\{today()}.bak").exists())
        self.assertNothingChanged()

    def test_quoted_backup_directory_with_a_blank(self):
        result = self.repair(r' "-zaloha:C:\zal dir\"')
        self.assertStatus(result.screen, SUCCESS, "lime")
        self.assertEqual(self.content(rf"C:\zal dir\{today()}.bak"), self.original)

    def test_drive_root_as_backup_directory_is_the_root_not_the_current_directory(self):
        self.scenario.host_path(r"C:\prace").mkdir()
        result = self.repair(r" -zaloha:C:\ ", cwd=r"C:\prace")
        self.assertStatus(result.screen, SUCCESS, "lime")
        self.assertEqual(self.content(rf"C:\{today()}.bak"), self.original)
        self.assertFalse(self.scenario.host_path(rf"C:\prace\{today()}.bak").exists())

    def short_path(self, windows_path: str) -> str:
        """The 8.3 form of an existing path, as this prefix gives it."""
        batch = self.scenario.drive_c / "short.bat"
        batch.write_bytes(f'@for %%I in ("{windows_path}") do @echo %%~sI\r\n'.encode("cp1250"))
        done = subprocess.run(["wine", "cmd", "/c", r"C:\short.bat"],
                              env=self.scenario.environment(), stdin=subprocess.DEVNULL,
                              capture_output=True, timeout=120, check=True)
        return done.stdout.decode("cp1250").strip()

    def test_backup_targets_that_cannot_be_used_warn_and_get_nothing(self):
        too_long = "C:\\" + "a" * 305 + "\\"  # 309 characters, past MAX_PATH
        notes = self.scenario.host_path(r"C:\zal\notes.txt")
        notes.parent.mkdir()
        notes.write_bytes(b"my notes")
        # The repair's own files however spelt, and a file of the user's that holds other bytes.
        service_pack_copy = self.short_path(str(PureWindowsPath(CACHED[1]).parent)) + r"\NTVDM.EXE"
        self.assertNotIn("ServicePackFiles", service_pack_copy)
        for value in (too_long, "CON", CACHED[0].lower(), service_pack_copy, LIVE + ".~sanivo.tmp",
                      r"C:\zal\notes.txt"):
            with self.subTest(value=value[:24]):
                result = self.repair(f' "-zaloha:{value}"', bottom_edge=False)
                self.assertStatus(result.screen, SUCCESS, "lime")
                self.assertEqual(result.screen.text(15 + len(SUCCESS), 7, 4), "lohu")
                self.assertColours(result.screen, 36, 7, "yellow", None)
                self.assertFalse(self.scenario.host_path(rf"C:\{today()}.bak").exists())
                for path in (LIVE, *CACHED):
                    self.assertPatched(path)
                    self.put(path, self.original)
                self.assertEqual(notes.read_bytes(), b"my notes")
                self.assertEqual(sorted(p.name for p in notes.parent.iterdir()), ["notes.txt"])

    def test_other_names_of_the_system_files_are_refused_as_backup_and_as_log(self):
        # A drive letter for system32 and a directory symlink to it stand for subst and a
        # junction; through them a backup would be the live file or a temporary file of ours.
        system32 = self.scenario.host_path(r"C:\windows\system32")
        self.scenario.map_drive("y", system32)
        (self.scenario.drive_c / "sys").symlink_to(system32)
        for value in (r"Y:\NTVDM.EXE", r"C:\sys\dllcache\ntvdm.exe", r"Y:\ntvdm.exe.~sanivo.tmp"):
            with self.subTest(value=value):
                result = self.repair(f" -zaloha:{value}", bottom_edge=False)
                self.assertStatus(result.screen, SUCCESS, "lime")
                self.assertEqual(result.screen.text(15 + len(SUCCESS), 7, 4), "lohu")
                self.assertColours(result.screen, 36, 7, "yellow", None)
                self.assertFalse(system32.joinpath("ntvdm.exe.~sanivo.tmp").exists())
                for path in (LIVE, *CACHED):
                    self.assertPatched(path)
                    self.put(path, self.original)
        # A log through another name of the live file is no log: the file stays as the repair
        # made it, and the record waits in the machine's own log.
        result = self.repair(r" -protokol:Y:\NTVDM.EXE")
        self.assertStatus(result.screen, SUCCESS, "lime")
        self.assertEqual(result.screen.text(10, 16, 21), "Protokol nelze zapsat")
        self.assertColours(result.screen, 10, 16, "yellow", None)
        self.assertEqual(self.content(LIVE), self.content(CACHED[0]))
        self.assertPatched(LIVE)

    def test_cached_copy_held_open_is_reported_with_its_path(self):
        self.hold(self.scenario, CACHED[0])
        result = self.repair()
        self.assertStatus(result.screen, CACHED_COPY_NOT_REPLACED, "red")
        self.assertEqual(result.screen.text(15, 8, len(CACHED[0])), CACHED[0])
        self.assertColours(result.screen, 15, 8, "silver", None)
        self.assertEqual(self.content(CACHED[0]), self.original)
        self.assertPatched(LIVE)
        self.assertPatched(CACHED[1])
        self.assertEqual(self.work_copies(), [])

    def stand_in_tool(self, prepared: bytes) -> None:
        """Puts the stand-in in place of IMAGECFG.EXE: it renames `prepared` over the work copy,
        as another program of the user could do the moment the real tool ends."""
        tool = self.scenario.host_path(self.exe).with_name("IMAGECFG.EXE")
        tool.write_bytes(winerun.program("swapin").read_bytes())
        tool.with_name("prepared.bin").write_bytes(prepared)

    def patched_by_our_tool(self) -> bytes:
        prepared = r"C:\prepared.exe"
        self.put(prepared, self.original)
        patched = self.scenario.run_piped(str(PureWindowsPath(APP_DIR) / "IMAGECFG.EXE"),
                                          ["-a", "0X1", prepared])
        self.assertEqual(patched.exit_code, 0, patched.stderr)
        return self.content(prepared)

    def test_work_copy_swapped_for_another_program_is_not_installed(self):
        # Pinned to the first processor, but not our NTVDM.EXE: bytes added, a byte changed.
        for prepared in (self.patched_by_our_tool() + b"\0" * 65536,
                         self.patched_by_our_tool()[:-1] + b"X"):
            with self.subTest(length=len(prepared)):
                self.stand_in_tool(prepared)
                result = self.repair()
                self.assertStatus(result.screen, "Nelze upravit afinitu souboru NTVDM.EXE", "red")
                self.assertNothingChanged()

    def test_write_cut_short_while_replacing_leaves_the_live_file_whole(self):
        # The stand-in puts the properly patched image in place, then holds on until the test
        # has lowered the run's file-size limit below the image: the very write that puts it in
        # place of the live file is cut.
        self.stand_in_tool(self.patched_by_our_tool())
        tool_dir = self.scenario.host_path(self.exe).parent
        (tool_dir / "wait.flag").write_bytes(b"")
        limit = 4096
        lowered = threading.Thread(target=self.lower_limit_when_swapped, args=(tool_dir, limit))
        lowered.start()
        result = run_with_command_line(self.scenario, self.exe, "")
        lowered.join()
        # The program died in the write (what Wine then reports as its exit code is Wine's
        # business): the temporary file holds what got written, the live file is whole.
        self.assertTrue(result.screen.row(11).startswith(
            "kopírování do dočasného adresáře . . úprava afinity . . přepsání originálu . . "),
            str(result.screen))
        self.assertEqual(result.screen.text(15, 7, len(SUCCESS)).strip(), "", str(result.screen))
        self.assertNothingChanged()
        self.assertEqual(self.scenario.host_path(LIVE + ".~sanivo.tmp").stat().st_size, limit)

    def lower_limit_when_swapped(self, tool_dir, limit: int) -> None:
        deadline = time.monotonic() + 120
        while not (tool_dir / "swapped.flag").exists() and time.monotonic() < deadline:
            time.sleep(0.1)
        for pid in self.sanivo_processes():
            subprocess.run(["prlimit", "--pid", str(pid), f"--fsize={limit}"], check=True)
        (tool_dir / "go.flag").write_bytes(b"")

    def sanivo_processes(self) -> list[int]:
        """The Unix processes of this prefix that run sanivo.exe."""
        prefix = f"WINEPREFIX={self.scenario.prefix}".encode()
        found = []
        for proc in Path("/proc").iterdir():
            try:
                if (b"sanivo.exe" in (proc / "cmdline").read_bytes()
                        and prefix in (proc / "environ").read_bytes().split(b"\0")):
                    found.append(int(proc.name))
            except (OSError, ValueError):
                continue
        return found

    def test_empty_backup_value_warns_and_the_repair_goes_on(self):
        # The step texts go on behind the warning on row 7 and wrap over the frame's bottom
        # edge; the success line then overwrites the start of the yellow warning.
        result = self.repair(" -zaloha:", bottom_edge=False)
        self.assertStatus(result.screen, SUCCESS, "lime")
        self.assertEqual(result.screen.text(15 + len(SUCCESS), 7, 4), "lohu")
        self.assertColours(result.screen, 36, 7, "yellow", None)
        self.assertPatched(LIVE)

    def test_damaged_live_file_is_refused_before_anything_changes(self):
        zeroed_tail = self.original[:-2000] + b"\0" * 2000
        for damaged in (self.original[:-1], self.original[:-2000], zeroed_tail):
            with self.subTest(length=len(damaged), zeroed=damaged is zeroed_tail):
                self.put(LIVE, damaged)
                result = self.repair(" -zaloha:C:\\zal\\ ")
                self.assertStatus(result.screen, "Nelze upravit afinitu souboru NTVDM.EXE", "red")
                self.assertEqual(self.content(LIVE), damaged)
                for path in CACHED:
                    self.assertEqual(self.content(path), self.original, path)
                self.assertFalse(self.scenario.host_path(r"C:\zal").exists())
                self.assertEqual(self.work_copies(), [])

    def test_busy_live_file_changes_nothing(self):
        self.hold(self.scenario, LIVE)
        result = self.repair(r" -zaloha:C:\zal\ ")
        self.assertStatus(result.screen, "Nejdříve vypněte všechny DOS aplikace", "red")
        self.assertNothingChanged()
        self.assertFalse(self.scenario.host_path(r"C:\zal").exists())

    def test_missing_ntvdm(self):
        self.scenario.host_path(LIVE).unlink()
        result = self.repair()
        self.assertStatus(result.screen, "Soubor NTVDM.EXE nebyl nalezen", "red")

    def test_missing_imagecfg(self):
        self.scenario.host_path(self.exe).with_name("IMAGECFG.EXE").unlink()
        result = self.repair()
        self.assertStatus(result.screen, "Nelze najít nástroj IMAGECFG.EXE", "red")
        self.assertNothingChanged()
        self.assertEqual(len(self.work_copies()), 1)

    def test_tool_the_shell_cannot_start_ends_the_program_with_the_error_report(self):
        self.scenario.host_path(self.exe).with_name("IMAGECFG.EXE").write_bytes(b"no program")
        result = run_with_command_line(self.scenario, self.exe, "")
        self.assertEqual(result.exit_code, 1, str(result.screen))
        page = "".join(result.screen.row(y) for y in range(result.screen.height))
        self.assertIn("Exception Exception in module sanivo.exe at ", page)
        self.assertNothingChanged()
        self.assertEqual(len(self.work_copies()), 1)

    def test_image_the_tool_cannot_patch_is_reported_and_not_installed(self):
        # An image without a load-configuration directory: IMAGECFG refuses it.
        unpatchable = winerun.program("holdfile").read_bytes()
        for path in (LIVE, *CACHED):
            self.put(path, unpatchable)
        result = self.repair()
        self.assertStatus(result.screen, "Nelze upravit afinitu souboru NTVDM.EXE", "red")
        for path in (LIVE, *CACHED):
            self.assertEqual(self.content(path), unpatchable, path)
        self.assertEqual(len(self.work_copies()), 1)


if __name__ == "__main__":
    unittest.main()
