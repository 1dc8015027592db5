#!/usr/bin/env python3
"""End-to-end tests of the nerith command: runs the built binary as a user would.

Usage: end_to_end.py NERITH RSVG_CONVERT
"""
import csv
import io
import json
import os
import re
import subprocess
import sys
import tempfile
import unittest

NERITH = ""
RSVG_CONVERT = ""

# Brest, 2024-03-10, built-in model: high 03:53:54, low 10:14:31, high 16:13:54,
# low 22:32:20 UTC.
BREST_TIMES = [1710042834, 1710065671, 1710087234, 1710109940]
# The same days in the full model (the default): high 03:53:47, low 10:14:09,
# high 16:16:47, low 22:33:51 UTC.
FULL_BREST_TIMES = [1710042827, 1710065649, 1710087407, 1710110031]
BUILTIN = ("--model", "builtin")


def run(*args, check_status=None):
    result = subprocess.run([NERITH, *args], capture_output=True, timeout=120)
    if check_status is not None and result.returncode != check_status:
        raise AssertionError(
            f"nerith {' '.join(map(str, args))}: status {result.returncode}, "
            f"stderr {result.stderr.decode(errors='replace')!r}")
    return result.returncode, result.stdout.decode(), result.stderr.decode()


def out(*args):
    return run(*args, check_status=0)[1]


class Predict(unittest.TestCase):
    def test_table_lists_the_days_waters_to_the_nearest_minute(self):
        for model, expected in [
                ((), [("high", "03:54", "7.53", "104"), ("low", "10:14", "0.67", None),
                      ("high", "16:17", "7.43", "110"), ("low", "22:34", "0.69", None)]),
                (BUILTIN, [("high", "03:54", "7.40", "110"), ("low", "10:15", "0.96", None),
                           ("high", "16:14", "7.42", "114"), ("low", "22:32", "0.92", None)])]:
            table = out("predict", "FR-BREST", "2024-03-10", *model)
            self.assertIn("Brest (FR-BREST), times in UTC", table)
            self.assertIn("official coefficients" if not model else "unofficial coefficients",
                          table)
            lines = [line for line in table.splitlines() if " high " in line or " low " in line]
            self.assertEqual(len(lines), 4)
            for line, (tide, clock, height, coef) in zip(lines, expected):
                fields = line.split()
                self.assertIn(tide, fields)
                self.assertIn(clock, fields, model)
                self.assertIn(height, fields)
                if coef:
                    self.assertEqual(fields[-1], coef)
            self.assertTrue(lines[0].startswith("Sun 2024-03-10"))

    def test_json_has_the_librarys_record(self):
        day = json.loads(out("predict", "FR-BREST", "2024-03-10", "--json", *BUILTIN))
        self.assertEqual(day["port_id"], "FR-BREST")
        self.assertEqual(day["date"], "2024-03-10")
        self.assertEqual([e["time"] for e in day["extremes"]], BREST_TIMES)
        self.assertEqual([e["is_high"] for e in day["extremes"]], [True, False, True, False])
        self.assertEqual([e["coefficient"] for e in day["extremes"]], [110, None, 114, None])
        self.assertAlmostEqual(day["extremes"][0]["height"], 7.3971, places=3)
        self.assertAlmostEqual(day["extremes"][3]["height"], 0.9185, places=3)
        heights = day["heights"]
        self.assertEqual(len(heights), 145)
        self.assertEqual(heights[0]["time"], 1710028800)
        self.assertEqual(heights[-1]["time"], 1710115200)
        self.assertEqual(set(b["time"] - a["time"] for a, b in zip(heights, heights[1:])), {600})

    def test_days_give_a_list_of_consecutive_days(self):
        days = json.loads(out("predict", "FR-BREST", "2024-02-28", "--days", "3", "--json"))
        self.assertEqual([d["date"] for d in days], ["2024-02-28", "2024-02-29", "2024-03-01"])

    def test_csv_has_a_header_and_one_row_per_water(self):
        text = out("predict", "FR-BREST", "2024-03-10", "--days", "3", "--csv")
        rows = list(csv.reader(io.StringIO(text)))
        self.assertEqual(rows[0],
                         ["port_id", "date", "time", "datetime", "tide", "height", "coefficient"])
        days = json.loads(out("predict", "FR-BREST", "2024-03-10", "--days", "3", "--json"))
        self.assertEqual(len(rows) - 1, sum(len(d["extremes"]) for d in days))
        # Whole seconds, and the official coefficient.
        self.assertEqual(rows[1], ["FR-BREST", "2024-03-10", "1710042827", "2024-03-10T03:53:47Z",
                                   "high", "7.532", "104"])
        self.assertEqual(rows[2][4:], ["low", "0.672", ""])
        self.assertTrue(all(len(row) == 7 for row in rows))


class LocalTime(unittest.TestCase):
    def test_paris_is_one_hour_ahead_in_winter(self):
        table = out("predict", "FR-BREST", "2024-03-10", "--tz", "Europe/Paris", *BUILTIN)
        self.assertIn("times in Europe/Paris", table)
        for clock in ["04:54 CET", "11:15 CET", "17:14 CET", "23:32 CET"]:
            self.assertIn(clock, table)
        day = json.loads(out("predict", "FR-BREST", "2024-03-10", "--tz", "Europe/Paris", "--json",
                             *BUILTIN))
        self.assertEqual([e["time"] for e in day["extremes"]], BREST_TIMES)
        self.assertEqual(day["extremes"][0]["local_time"], "2024-03-10T04:53:54+01:00")
        self.assertEqual(day["time_zone"], "Europe/Paris")

    def test_paris_is_two_hours_ahead_in_summer(self):
        utc = list(csv.reader(io.StringIO(out("predict", "FR-BREST", "2024-07-12", "--csv"))))[1:]
        paris = list(csv.reader(io.StringIO(
            out("predict", "FR-BREST", "2024-07-12", "--csv", "--tz", "Europe/Paris"))))[1:]
        self.assertEqual(len(utc), 4)
        self.assertEqual([row[2] for row in utc], [row[2] for row in paris])
        for u, p in zip(utc, paris):
            self.assertTrue(u[3].endswith("Z"))
            self.assertTrue(p[3].endswith("+02:00"))
            self.assertEqual((int(u[3][11:13]) + 2) % 24, int(p[3][11:13]))
            self.assertEqual(u[3][13:19], p[3][13:19])

    def test_a_local_day_runs_from_local_midnight_to_local_midnight(self):
        # 22:55 UTC on 15 July is 00:55 on the 16th in Paris.
        day15 = json.loads(out("predict", "FR-BREST", "2024-07-15", "--tz", "Europe/Paris", "--json",
                               *BUILTIN))
        day16 = json.loads(out("predict", "FR-BREST", "2024-07-16", "--tz", "Europe/Paris", "--json",
                               *BUILTIN))
        late = json.loads(out("predict", "FR-BREST", "2024-07-15", "--json", *BUILTIN))["extremes"][-1]
        self.assertNotIn(late["time"], [e["time"] for e in day15["extremes"]])
        self.assertEqual(day16["extremes"][0]["time"], late["time"])
        self.assertEqual(day15["heights"][0]["time"], 1721001600 - 7200)
        self.assertEqual(len(day15["heights"]), 145)

    def test_clock_change_days_have_23_and_25_hours(self):
        for date, samples in [("2024-03-31", 139), ("2024-10-27", 151)]:
            day = json.loads(out("predict", "FR-BREST", date, "--tz", "Europe/Paris", "--json"))
            self.assertEqual(len(day["heights"]), samples, date)

    def test_unknown_zone_is_a_usage_error(self):
        status, stdout, stderr = run("predict", "FR-BREST", "--tz", "Europe/Atlantis")
        self.assertEqual(status, 2)
        self.assertIn("unknown time zone 'Europe/Atlantis'", stderr)
        self.assertEqual(stdout, "")


class Chart(unittest.TestCase):
    def render(self, *args):
        with tempfile.TemporaryDirectory() as tmp:
            svg = os.path.join(tmp, "chart.svg")
            png = os.path.join(tmp, "chart.png")
            self.assertIn("chart written to", out("chart", *args, "-o", svg))
            with open(svg, encoding="utf-8") as f:
                text = f.read()
            subprocess.run([RSVG_CONVERT, "-o", png, svg], check=True, timeout=120)
            with open(png, "rb") as f:
                self.assertEqual(f.read(8), b"\x89PNG\r\n\x1a\n")
            return text

    def test_a_day_renders_with_its_waters(self):
        svg = self.render("FR-BREST", "2024-03-10")
        for text in [">Brest</text>", "Sunday 10 March 2024", ">03:54</text>", ">7.53 m</text>",
                     ">coef 104</text>", ">coef 110</text>", ">22:34</text>", ">12:00</text>",
                     "heights in metres above chart datum"]:
            self.assertIn(text, svg)

    def test_a_week_in_paris_time_renders(self):
        svg = self.render("FR-SAINT-MALO", "2024-03-28", "--days", "7", "--tz", "Europe/Paris")
        self.assertIn(">Saint-Malo</text>", svg)
        self.assertIn("28 March – 3 April 2024 · times Europe/Paris", svg)
        self.assertEqual(svg.count('stroke="#0d47a1" stroke-width="3"'), 7)

    def test_standard_output_and_default_file_name(self):
        self.assertTrue(out("chart", "FR-BREST", "2024-03-10", "-o", "-").startswith("<svg"))
        with tempfile.TemporaryDirectory() as tmp:
            subprocess.run([NERITH, "chart", "FR-BREST", "2024-03-10"], cwd=tmp, check=True,
                           capture_output=True, timeout=120)
            self.assertTrue(os.path.exists(os.path.join(tmp, "FR-BREST_2024-03-10.svg")))

    def test_unwritable_file_fails_cleanly(self):
        status, _, stderr = run("chart", "FR-BREST", "2024-03-10", "-o", "/nonexistent/dir/x.svg")
        self.assertEqual(status, 1)
        self.assertIn("cannot write '/nonexistent/dir/x.svg'", stderr)


class Errors(unittest.TestCase):
    def test_unknown_port_suggests_the_nearest_stations_of_both_models(self):
        # (what was typed, model, the first suggestion and the models it names)
        for typed, model, first, held in [
                ("brest", (), "FR-BREST", "(full and built-in models)"),
                ("FR-BRST", (), "FR-BREST", "(full and built-in models)"),
                ("Brst", BUILTIN, "FR-BREST", "(full and built-in models)"),
                ("saint malo", (), "FR-SAINT-MALO", "(full and built-in models)"),
                ("d\u2019yeu", (), "FR-PORT-JOINVILLE", "(built-in model: add --model builtin)"),
                ("FR-CONQET", BUILTIN, "FR-LE-CONQUET", "(full model: add --model full)"),
                ("Saint-Jean-de-Luz \u2013 Socoa", (), "FR-SAINT-JEAN-DE-LUZ-SOCOA", "(full model)")]:
            status, stdout, stderr = run("predict", typed, *model)
            self.assertEqual((status, stdout), (1, ""), typed)
            self.assertIn(f"nerith: unknown port '{typed}'\nDid you mean:\n", stderr)
            suggestions = [line for line in stderr.splitlines() if line.startswith("  ")]
            self.assertLessEqual(len(suggestions), 3)
            self.assertTrue(suggestions[0].startswith(f"  {first}  "), (typed, stderr))
            self.assertTrue(suggestions[0].endswith(held), (typed, stderr))

        status, _, stderr = run("show", "XX")
        self.assertEqual(status, 1)
        self.assertIn("unknown port 'XX'", stderr)
        self.assertIn("nerith list", stderr)

    def test_bad_date_names_the_expected_form(self):
        for date in ["2024-02-30", "10/03/2024", "2024-3-10", "tomorrow"]:
            status, stdout, stderr = run("predict", "FR-BREST", date)
            self.assertEqual(status, 2, date)
            self.assertIn(f"invalid date '{date}'", stderr)
            self.assertIn("YYYY-MM-DD", stderr)
            self.assertEqual(stdout, "")
        self.assertEqual(run("chart", "FR-BREST", "2024-13-01")[0], 2)

    def test_usage_errors_show_the_usage_line(self):
        for args in [["predict", "FR-BREST", "--bogus"], ["predict"], ["forecast"], [],
                     ["predict", "FR-BREST", "--days", "0"], ["list", "--tz", "UTC"],
                     ["predict", "FR-BREST", "--json", "--csv"]]:
            status, stdout, stderr = run(*args)
            self.assertEqual(status, 2, args)
            self.assertIn("usage: nerith", stderr, args)
            self.assertEqual(stdout, "", args)

    def test_odd_input_never_crashes(self):
        cases = [
            ["predict", ""], ["predict", "FR-BREST" * 5000], ["predict", b"\xff\xfe".decode("latin-1")],
            ["height", "FR-BREST", "99999999999999999999"], ["height", "FR-BREST", "-99999999999"],
            ["height", "FR-BREST", "2024-03-31T02:30", "--tz", "Europe/Paris"],
            ["predict", "FR-BREST", "0000-01-01", "--tz", "Europe/Paris"],
            ["predict", "FR-BREST", "9999-12-31", "--days", "2"],
            ["predict", "FR-BREST", "9999-12-31"], ["predict", "FR-BREST", "0000-01-01"],
            ["search", ""], ["search", "\u00c9TEL"], ["predict", "FR-BREST", "--tz", "../../etc/passwd"],
            ["predict", "FR-BREST", "--tz", ""], ["chart", "FR-BREST", "-o", ""],
        ]
        for args in cases:
            status, _, stderr = run(*args)
            self.assertIn(status, (0, 1, 2), args[:3])
            self.assertNotIn("terminate", stderr)
            self.assertNotIn("internal error", stderr)


class OtherCommands(unittest.TestCase):
    def test_list_search_show(self):
        listing = out("list", *BUILTIN).splitlines()
        self.assertEqual(len(listing), 21)
        self.assertTrue(listing[1].startswith("FR-BREST "))
        self.assertEqual(len(json.loads(out("list", "--json", *BUILTIN))), 20)
        self.assertEqual(len(out("list", "--csv", *BUILTIN).splitlines()), 21)
        self.assertIn("no station matches", out("search", "atlantis"))
        shown = out("show", "FR-BREST", *BUILTIN)
        self.assertIn("Brest (FR-BREST)", shown)
        self.assertIn("4.250 m", shown)
        self.assertIn("2MS6", shown)
        self.assertEqual(len(json.loads(out("show", "FR-BREST", "--json", *BUILTIN))["constituents"]),
                         13)

    def test_search_folds_case_accents_apostrophes_and_dashes(self):
        for query, model, found in [
                ("etel", BUILTIN, ["FR-ETEL"]), ("\u00c9TEL", BUILTIN, ["FR-ETEL"]),
                ("E\u0301tel", BUILTIN, ["FR-ETEL"]),  # a decomposed accent
                ("golfe du morbihan", BUILTIN, ["FR-PORT-NAVALO", "FR-ARRADON"]),
                ("d\u2019yeu", BUILTIN, ["FR-PORT-JOINVILLE"]),
                ("ile d\u2019aix", (), ["FR-ILE-D-AIX"]), ("paimboeuf", (), ["FR-PAIMBOEUF"]),
                ("nantes - usine", (), ["FR-NANTES-USINE-BRULEE"]),
                ("saint malo", (), ["FR-SAINT-MALO"]), (" brest", (), ["FR-BREST"]),
                ("l\u2019herbaudi\u00e8re", (), ["FR-L-HERBAUDIERE"])]:
            listed = [p["id"] for p in json.loads(out("search", query, "--json", *model))]
            self.assertEqual(listed, found, query)

    def test_height(self):
        self.assertIn("at 2026-01-01 12:00:00 UTC: 5.30 m",
                      out("height", "FR-BREST", "2026-01-01T12:00:00Z", *BUILTIN))
        self.assertIn("at 2026-01-01 12:00:00 UTC: 5.23 m",
                      out("height", "FR-BREST", "2026-01-01T12:00:00Z"))
        same = json.loads(out("height", "FR-BREST", "1767268800", "--json", *BUILTIN))
        self.assertEqual(same["time"], 1767268800)
        self.assertAlmostEqual(same["height"], 5.295773, places=5)
        paris = json.loads(out("height", "FR-BREST", "2026-01-01T13:00", "--tz", "Europe/Paris",
                               "--json"))
        self.assertEqual(paris["time"], 1767268800)
        self.assertEqual(paris["local_time"], "2026-01-01T13:00:00+01:00")
        status, _, stderr = run("height", "FR-BREST", "noon")
        self.assertEqual(status, 2)
        self.assertIn("invalid time 'noon'", stderr)

    def test_today_is_the_default(self):
        self.assertEqual(len(json.loads(out("predict", "FR-BREST", "--json"))["heights"]), 145)
        self.assertIn(" m", out("height", "FR-BREST"))

    def test_help_and_version(self):
        self.assertTrue(out("--version").startswith("nerith "))
        self.assertIn("predict", out("--help"))
        self.assertIn("The full model answers by default", out("--help"))
        for command in ["list", "search", "show", "height", "predict", "chart", "windows", "now"]:
            self.assertIn(f"usage: nerith {command}", out(command, "--help"))
        # Every help sentence about datum says which model it holds for.
        for command in ["--help", "windows --help", "chart --help", "predict --help"]:
            text = " ".join(out(*command.split()).split())
            for sentence in text.replace("; ", ". ").split(". "):
                if "chart datum" in sentence:
                    self.assertRegex(sentence, "full|built-?in", (command, sentence))


class FullModel(unittest.TestCase):
    def test_every_command_takes_the_full_model(self):
        self.assertEqual(len(json.loads(out("list", "--model", "full", "--json"))), 106)
        self.assertEqual(len(json.loads(out("list", "--json"))), 106)  # the default
        self.assertIn("FR-LE-CONQUET", out("search", "conquet", "--model", "full"))
        shown = out("show", "FR-SAINT-MALO", "--model", "full")
        for text in ["gauge         410", "analysis      2006-03-31", "MHWS", "CC BY 4.0", "TICON-4"]:
            self.assertIn(text, shown)
        self.assertEqual(len(json.loads(out("show", "FR-BREST", "--model=full", "--json"))
                             ["constituents"]), 50)
        self.assertIn(" m", out("height", "FR-PAPEETE", "2024-03-10T00:00Z", "--model", "full"))
        self.assertIn("<svg", out("chart", "FR-NICE", "2024-03-10", "--model", "full", "-o", "-"))

    def test_show_names_the_folded_constituents(self):
        self.assertIn("folded        3N2 into N2, 3L2 into L2",
                      out("show", "FR-L-AIGUILLON-SUR-MER", "--model", "full"))
        self.assertNotIn("folded", out("show", "FR-BREST", "--model", "full"))
        self.assertEqual(json.loads(out("show", "FR-PONT-DU-BRAULT", "--model", "full", "--json"))
                         ["folded"], [["L2", "3L2"], ["3N2", "N2"]])

    def test_official_coefficients_at_brest_by_default(self):
        for args in [(), ("--model", "full"), ("--model=full",)]:
            day = json.loads(out("predict", "FR-BREST", "2024-03-10", "--json", *args))
            self.assertEqual([e["coefficient"] for e in day["extremes"] if e["is_high"]], [104, 110])
            self.assertEqual([e["time"] for e in day["extremes"]], FULL_BREST_TIMES)
        for args in [BUILTIN, ("--model=builtin",)]:
            for before in (False, True):
                line = [*args, "predict", "FR-BREST", "2024-03-10", "--json"] if before else \
                    ["predict", "FR-BREST", "2024-03-10", "--json", *args]
                builtin = json.loads(out(*line))
                self.assertEqual([e["time"] for e in builtin["extremes"]], BREST_TIMES)

    def test_saint_malo_answers_are_the_full_models(self):
        for command in (["predict", "FR-SAINT-MALO", "2024-03-10", "--json"],
                        ["windows", "FR-SAINT-MALO", "2024-03-10", "--above", "8", "--json"],
                        ["now", "FR-SAINT-MALO", "2024-03-10T12:00Z", "--json"]):
            self.assertEqual(out(*command), out(*command, "--model", "full"), command)
            self.assertNotEqual(out(*command), out(*command, *BUILTIN), command)

    def test_a_station_of_one_model_needs_its_option(self):
        for station, model, hint in [("FR-LE-CONQUET", BUILTIN, "add --model full"),
                                     ("FR-ETEL", (), "add --model builtin")]:
            status, stdout, stderr = run("predict", station, "2024-03-10", *model)
            self.assertEqual((status, stdout), (1, ""))
            self.assertIn(hint, stderr)
        status, _, stderr = run("show", "FR-BREST", "--model", "fast")
        self.assertEqual(status, 2)
        self.assertIn("--model expects", stderr)

    def test_local_time_is_the_stations_own_zone(self):
        # Tubuai's source record once gave its latitude as its longitude (-02:00).
        for station in ["FR-PAPEETE", "FR-TUBUAI"]:
            rows = list(csv.reader(io.StringIO(
                out("predict", station, "2024-03-10", "--model", "full", "--tz", "local", "--csv"))))
            self.assertGreater(len(rows), 1, station)
            self.assertTrue(all(row[3].endswith("-10:00") for row in rows[1:]), station)
        self.assertIn("Pacific/Tahiti", out("show", "FR-TUBUAI", "--model", "full"))
        brest = list(csv.reader(io.StringIO(
            out("predict", "FR-BREST", "2024-03-10", "--tz", "local", "--csv", *BUILTIN))))
        self.assertTrue(all(row[3].endswith("+01:00") for row in brest[1:]))



class Water(unittest.TestCase):
    def test_windows_in_both_models(self):
        for model in ("builtin", "full"):
            found = json.loads(out("windows", "FR-BREST", "2024-03-10", "--days", "2",
                                   "--above", "6", "--model", model, "--json"))
            self.assertEqual((found["model"], found["datum"]),
                             ("full", "chart datum") if model == "full" else
                             ("builtin", "station mean-level reference"))
            windows = found["windows"]
            self.assertEqual(len(windows), 4, model)
            for w in windows:
                self.assertLess(w["start"], w["end"])
                self.assertEqual(w["duration"], w["end"] - w["start"])
            below = json.loads(out("windows", "FR-BREST", "2024-03-10", "--below", "6",
                                   "--model", model, "--json"))["windows"]
            # Below starts where above ends: the range opens below 6 m... or above.
            self.assertTrue(below[0]["open_start"] or windows[0]["open_start"])
        sailor = out("windows", "FR-BREST", "2024-03-10", "--draught", "1.8", "--depth", "-4",
                     "--margin", "0.2", "--csv")
        self.assertIn("FR-BREST,6.000,above", sailor)

    def test_bad_levels_are_usage_errors(self):
        for args, message in [
                (["--above", "x"], "--above expects a height in metres from -1000 to 1000, not 'x'"),
                (["--above", "nan"], "not 'nan'"), (["--above", "1001"], "not '1001'"),
                (["--above", "1", "--below", "2"], "choose one of --above and --below"),
                (["--draught", "1.5"], "--draught needs --depth"),
                (["--draught", "999", "--depth", "-999"], "is 1998.000 m, beyond the limit of 1000 m"),
                ([], "windows needs a level")]:
            status, stdout, stderr = run("windows", "FR-BREST", "2024-03-10", *args)
            self.assertEqual((status, stdout), (2, ""), args)
            self.assertIn("nerith: " + message if message.startswith("-") else message, stderr)

    def test_now_gives_the_next_waters_in_time_order(self):
        now = json.loads(out("now", "FR-BREST", "2024-03-10T12:00Z", "--json", *BUILTIN))
        self.assertEqual(now["trend"], "rising")
        self.assertEqual(now["next_high"]["time"], BREST_TIMES[2])
        self.assertEqual(now["next_low"]["time"], BREST_TIMES[3])
        papeete = out("now", "FR-PAPEETE", "2024-03-10T05:00Z", "--tz", "local")
        self.assertIn("next high water", papeete)
        self.assertIn("-10", papeete)  # on Tahiti's clock
        # (when, the lines after the first, in order)
        for when, lines in [
                ("2024-03-10T12:00Z", ["  next high water  2024-03-10 16:17 UTC   7.43 m  in 4h 17m  coef 110",
                                       "  next low  water  2024-03-10 22:34 UTC   0.69 m  in 10h 34m"]),
                ("2024-03-10T18:00Z", ["  next low  water  2024-03-10 22:34 UTC   0.69 m  in 4h 34m",
                                       "  next high water  2024-03-11 04:36 UTC   7.82 m  in 10h 36m  coef 115"]),
                ("9999-12-31T23:00Z", ["  next high water  none before predictions end, at 9999-12-31 24:00 UTC",
                                       "  next low  water  none before predictions end, at 9999-12-31 24:00 UTC"])]:
            text = out("now", "FR-BREST", when).splitlines()
            self.assertTrue(text[0].endswith(" UTC: " + text[0].split(" UTC: ")[1]), text[0])
            self.assertEqual(text[1:], lines, when)


def uids(text):
    return [line[4:] for line in text.splitlines() if line.startswith("UID:")]


def properties(text, name):
    unfolded = text.replace("\r\n ", "")
    return [line[len(name) + 1:] for line in unfolded.split("\r\n") if line.startswith(name + ":")]


class Calendar(unittest.TestCase):
    def test_calendars_read_by_a_real_parser(self):
        with tempfile.TemporaryDirectory() as directory:
            paths = []
            for name, args in (("waters", ["predict", "FR-BREST", "2024-03-10", "--days", "3"]),
                               ("windows", ["windows", "FR-SAINT-MALO", "2024-03-10",
                                            "--above", "9", "--days", "3"]),
                               ("aground", ["windows", "FR-SAINT-MALO", "2024-03-10", "--below", "3",
                                            "--days", "3", "--tz", "Europe/Paris", *BUILTIN])):
                path = os.path.join(directory, name + ".ics")
                with open(path, "w", newline="") as f:
                    f.write(out(*args, "--ics"))
                paths.append(path)
            checker = os.path.join(os.path.dirname(os.path.abspath(__file__)), "ics_check.py")
            result = subprocess.run([sys.executable, checker, *paths], capture_output=True,
                                    text=True, timeout=600)
            self.assertEqual(result.returncode, 0, result.stdout + result.stderr)

    def test_events_name_the_port_and_the_calendar(self):
        text = out("windows", "FR-SAINT-MALO", "2024-03-10", "--above", "9", "--ics")
        self.assertEqual(properties(text, "X-WR-CALNAME"),
                         ["Saint-Malo: water above 9.00 m\\, full model"])
        self.assertEqual(set(properties(text, "SUMMARY")), {"Saint-Malo: water above 9.00 m"})
        self.assertEqual(set(properties(text, "LOCATION")), {"Saint-Malo (FR-SAINT-MALO)"})
        self.assertEqual(set(properties(text, "GEO")), {"48.640812;-2.028103"})
        waters = out("predict", "FR-BREST", "2024-03-10", "--ics")
        self.assertEqual(properties(waters, "SUMMARY")[0], "Brest: high water 7.53 m\\, coefficient 104")
        self.assertEqual(properties(waters, "DTSTART")[0], "20240310T035400Z")  # 03:53:47

    def test_overlapping_imports_give_the_same_events(self):
        # One 60-day import and 60 daily imports of the same days: the same
        # UIDs, each event the same wherever it was cut.
        for args in (["windows", "FR-SAINT-MALO", "--below", "3"],
                     ["predict", "FR-LE-HAVRE", "--tz", "Europe/Paris"]):
            whole = out(args[0], args[1], "2024-03-10", *args[2:], "--days", "60", "--ics")
            daily = "".join(out(args[0], args[1], f"2024-{month:02}-{day:02}", *args[2:], "--ics")
                            for month, day in [(3, d) for d in range(10, 32)] +
                            [(4, d) for d in range(1, 31)] + [(5, d) for d in range(1, 9)])
            self.assertEqual(len(set(uids(whole))), len(uids(whole)), args)
            self.assertEqual(set(uids(whole)), set(uids(daily)), args)
            starts = lambda text: set(zip(uids(text), properties(text, "DTSTART"),
                                          properties(text, "DTEND")))
            self.assertEqual(starts(whole), starts(daily), args)

    def test_both_models_give_the_same_tide_the_same_uid(self):
        # Levels every tide of these days crosses in both models.
        for command in (["predict", "FR-BREST"], ["predict", "FR-SAINT-MALO"],
                        ["windows", "FR-CHERBOURG", "--above", "4"],
                        ["windows", "FR-CHERBOURG", "--below", "4"]):
            full = uids(out(command[0], command[1], "2024-03-01", *command[2:], "--days", "30", "--ics"))
            builtin = uids(out(command[0], command[1], "2024-03-01", *command[2:], "--days", "30",
                               "--ics", *BUILTIN))
            self.assertGreater(len(full), 40)
            self.assertEqual(full, builtin, command)

    def test_an_empty_calendar_is_not_written(self):
        for args in (["windows", "FR-BREST", "2024-03-10", "--above", "20"],
                     ["windows", "FR-PAPEETE", "2024-03-10", "--above", "5"]):
            status, stdout, stderr = run(*args, "--ics")
            self.assertEqual((status, stdout), (0, ""), args)
            self.assertEqual(stderr, "nerith: no window in these days: no calendar written\n")
            self.assertEqual(run(*args, "--json")[0], 0)


class Safety(unittest.TestCase):
    def test_built_in_heights_against_a_depth_warn(self):
        keel = ["FR-SAINT-MALO", "2024-03-10", "--draught", "1.0", "--depth", "0", "--tz",
                "Europe/Paris"]
        # (command, warns with --model builtin)
        for command, warns in [(["windows", *keel], True), (["windows", *keel, "--json"], True),
                               (["chart", "FR-BREST", "2024-03-10", "--level", "3", "-o", "-"], True),
                               (["chart", "FR-BREST", "2024-03-10", "-o", "-"], False),
                               (["predict", "FR-BREST", "2024-03-10"], False)]:
            self.assertEqual(run(*command)[2], "", command)
            stderr = run(*command, *BUILTIN)[2]
            if warns:
                self.assertEqual(len(stderr.splitlines()), 1, command)
                self.assertIn("not chart datum: its low waters stand up to 0.8 m higher", stderr)
            else:
                self.assertEqual(stderr, "", command)

    def test_a_keel_aground_on_chart_datum_is_shown_so(self):
        # The full model: below 1.00 m from 13:17 to 14:43 CET; the table
        # rounds the windows above towards less water.
        table = out("windows", "FR-SAINT-MALO", "2024-03-10", "--draught", "1.0", "--depth", "0",
                    "--tz", "Europe/Paris")
        self.assertIn("2024-03-10 13:17 CET\n", table.replace("  at least 13h 17m (open before)", ""))
        self.assertIn("2024-03-10 14:44 CET  2024-03-11 00:00 CET", table)
        aground = out("windows", "FR-SAINT-MALO", "2024-03-10", "--below", "1", "--tz",
                      "Europe/Paris")
        self.assertIn("2024-03-10 13:17 CET  2024-03-10 14:44 CET  1h 27m", aground)

    def test_printed_durations_are_end_minus_start(self):
        for side in ("--above", "--below"):
            table = out("windows", "FR-SAINT-MALO", "2026-12-10", side, "9", "--days", "3")
            rows = re.findall(r"^2026-12-(\d\d) (\d\d):(\d\d)  2026-12-(\d\d) (\d\d):(\d\d)  "
                              r"(?:at least )?(\d+)h (\d\d)m", table, re.M)
            self.assertGreater(len(rows), 3)
            for row in rows:
                d1, h1, m1, d2, h2, m2, hours, minutes = map(int, row)
                self.assertEqual((d2 - d1) * 1440 + (h2 - h1) * 60 + m2 - m1, hours * 60 + minutes,
                                 row)
        exact = json.loads(out("windows", "FR-SAINT-MALO", "2026-12-10", "--above", "9", "--json"))
        first = exact["windows"][0]
        self.assertNotEqual(first["start"] % 60, 0)  # JSON keeps the seconds
        self.assertIn(f"{first['start'] // 60 % 60 + 1:02}  ", out("windows", "FR-SAINT-MALO",
                                                               "2026-12-10", "--above", "9"))


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    NERITH, RSVG_CONVERT = os.path.abspath(sys.argv[1]), sys.argv[2]
    unittest.main(argv=sys.argv[:1] + sys.argv[3:], verbosity=1)
