#!/usr/bin/env python3
"""End-to-end tests of the nerith command: runs the built binary as a user would.

Usage: end_to_end.py NERITH RSVG_CONVERT
"""
import csv
import io
import json
import os
import subprocess
import sys
import tempfile
import unittest

NERITH = ""
RSVG_CONVERT = ""

# Brest, 2024-03-10: high 03:53:54, low 10:14:31, high 16:13:54, low 22:32:20 UTC.
BREST_TIMES = [1710042834, 1710065671, 1710087234, 1710109940]


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
    def test_table_lists_the_days_waters(self):
        table = out("predict", "FR-BREST", "2024-03-10")
        self.assertIn("Brest (FR-BREST), times in UTC", table)
        lines = [line for line in table.splitlines() if " high " in line or " low " in line]
        self.assertEqual(len(lines), 4)
        for line, (tide, clock, height, coef) in zip(lines, [
                ("high", "03:53", "7.40", "110"), ("low", "10:14", "0.96", None),
                ("high", "16:13", "7.42", "114"), ("low", "22:32", "0.92", None)]):
            fields = line.split()
            self.assertIn(tide, fields)
            self.assertIn(clock, fields)
            self.assertIn(height, fields)
            if coef:
                self.assertEqual(fields[-1], coef)
        self.assertTrue(lines[0].startswith("Sun 2024-03-10"))

    def test_json_has_the_librarys_record(self):
        day = json.loads(out("predict", "FR-BREST", "2024-03-10", "--json"))
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
        self.assertEqual(rows[1], ["FR-BREST", "2024-03-10", "1710042834", "2024-03-10T03:53:54Z",
                                   "high", "7.397", "110"])
        self.assertEqual(rows[2][4:], ["low", "0.956", ""])
        self.assertTrue(all(len(row) == 7 for row in rows))


class LocalTime(unittest.TestCase):
    def test_paris_is_one_hour_ahead_in_winter(self):
        table = out("predict", "FR-BREST", "2024-03-10", "--tz", "Europe/Paris")
        self.assertIn("times in Europe/Paris", table)
        for clock in ["04:53 CET", "11:14 CET", "17:13 CET", "23:32 CET"]:
            self.assertIn(clock, table)
        day = json.loads(out("predict", "FR-BREST", "2024-03-10", "--tz", "Europe/Paris", "--json"))
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
        day15 = json.loads(out("predict", "FR-BREST", "2024-07-15", "--tz", "Europe/Paris", "--json"))
        day16 = json.loads(out("predict", "FR-BREST", "2024-07-16", "--tz", "Europe/Paris", "--json"))
        late = json.loads(out("predict", "FR-BREST", "2024-07-15", "--json"))["extremes"][-1]
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
        for text in [">Brest</text>", "Sunday 10 March 2024", ">03:53</text>", ">7.40 m</text>",
                     ">coef 110</text>", ">coef 114</text>", ">22:32</text>", ">12:00</text>"]:
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
    def test_unknown_port_suggests_stations(self):
        status, stdout, stderr = run("predict", "brest")
        self.assertEqual(status, 1)
        self.assertEqual(stdout, "")
        self.assertIn("nerith: unknown port 'brest'", stderr)
        self.assertIn("FR-BREST  Brest", stderr)

        status, _, stderr = run("chart", "saint malo")
        self.assertEqual(status, 1)
        suggestions = [line.split()[0] for line in stderr.splitlines() if line.startswith("  ")]
        self.assertEqual(suggestions[0], "FR-SAINT-MALO")
        self.assertLessEqual(len(suggestions), 3)

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
        listing = out("list").splitlines()
        self.assertEqual(len(listing), 21)
        self.assertTrue(listing[1].startswith("FR-BREST "))
        self.assertEqual(len(json.loads(out("list", "--json"))), 20)
        self.assertEqual(len(out("list", "--csv").splitlines()), 21)
        self.assertIn("FR-ETEL", out("search", "etel"))
        found = [p["id"] for p in json.loads(out("search", "golfe du morbihan", "--json"))]
        self.assertEqual(found, ["FR-PORT-NAVALO", "FR-ARRADON"])
        self.assertIn("no station matches", out("search", "atlantis"))
        shown = out("show", "FR-BREST")
        self.assertIn("Brest (FR-BREST)", shown)
        self.assertIn("4.250 m", shown)
        self.assertIn("2MS6", shown)
        self.assertEqual(len(json.loads(out("show", "FR-BREST", "--json"))["constituents"]), 13)

    def test_height(self):
        self.assertIn("at 2026-01-01 12:00:00 UTC: 5.30 m",
                      out("height", "FR-BREST", "2026-01-01T12:00:00Z"))
        same = json.loads(out("height", "FR-BREST", "1767268800", "--json"))
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
        for command in ["list", "search", "show", "height", "predict", "chart"]:
            self.assertIn(f"usage: nerith {command}", out(command, "--help"))


class FullModel(unittest.TestCase):
    def test_every_command_takes_the_full_model(self):
        self.assertEqual(len(json.loads(out("list", "--model", "full", "--json"))), 106)
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

    def test_official_coefficients_at_brest(self):
        day = json.loads(out("predict", "FR-BREST", "2024-03-10", "--model", "full", "--json"))
        self.assertEqual([e["coefficient"] for e in day["extremes"] if e["is_high"]], [104, 110])
        builtin = json.loads(out("predict", "FR-BREST", "2024-03-10", "--json"))
        self.assertEqual([e["time"] for e in builtin["extremes"]], BREST_TIMES)

    def test_a_full_only_station_needs_the_option(self):
        status, stdout, stderr = run("predict", "FR-LE-CONQUET", "2024-03-10")
        self.assertEqual((status, stdout), (1, ""))
        self.assertIn("add --model full", stderr)
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
            out("predict", "FR-BREST", "2024-03-10", "--tz", "local", "--csv"))))
        self.assertTrue(all(row[3].endswith("+01:00") for row in brest[1:]))



class Water(unittest.TestCase):
    def test_windows_in_both_models(self):
        for model in ("builtin", "full"):
            found = json.loads(out("windows", "FR-BREST", "2024-03-10", "--days", "2",
                                   "--above", "6", "--model", model, "--json"))
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
        for args in (["--above", "x"], ["--above", "nan"], ["--above", "1", "--below", "2"],
                     ["--draught", "1.5"], []):
            status, _, stderr = run("windows", "FR-BREST", "2024-03-10", *args)
            self.assertEqual(status, 2, args)
            self.assertIn("nerith:", stderr)

    def test_now_gives_the_next_waters(self):
        now = json.loads(out("now", "FR-BREST", "2024-03-10T12:00Z", "--json"))
        self.assertEqual(now["trend"], "rising")
        self.assertEqual(now["next_high"]["time"], BREST_TIMES[2])
        self.assertEqual(now["next_low"]["time"], BREST_TIMES[3])
        papeete = out("now", "FR-PAPEETE", "2024-03-10T05:00Z", "--model", "full", "--tz", "local")
        self.assertIn("next high water", papeete)
        self.assertIn("-10", papeete)  # on Tahiti's clock

    def test_calendars_read_by_a_real_parser(self):
        with tempfile.TemporaryDirectory() as directory:
            paths = []
            for name, args in (("waters", ["predict", "FR-BREST", "2024-03-10", "--days", "3"]),
                               ("windows", ["windows", "FR-SAINT-MALO", "2024-03-10",
                                            "--above", "9", "--days", "3", "--model", "full"])):
                path = os.path.join(directory, name + ".ics")
                with open(path, "w", newline="") as f:
                    f.write(out(*args, "--ics"))
                paths.append(path)
            checker = os.path.join(os.path.dirname(os.path.abspath(__file__)), "ics_check.py")
            result = subprocess.run([sys.executable, checker, *paths], capture_output=True,
                                    text=True, timeout=600)
            self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
            # The same days twice give the same events (an import updates them).
            again = out("predict", "FR-BREST", "2024-03-10", "--days", "3", "--ics")
            uids = lambda text: [l for l in text.splitlines() if l.startswith("UID:")]
            with open(paths[0], newline="") as f:
                self.assertEqual(uids(f.read()), uids(again))

if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    NERITH, RSVG_CONVERT = os.path.abspath(sys.argv[1]), sys.argv[2]
    unittest.main(argv=sys.argv[:1] + sys.argv[3:], verbosity=1)
