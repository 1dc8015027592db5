"""The installed wheel, through its generated bindings: the shared table of
calls (bindings/test/cases.json) on both libraries, custom ports, threads."""

import enum
import json
import os
import pathlib
import sysconfig
import threading
import uuid

import pytest

import nerith
import nerith.full

CASES = json.loads((pathlib.Path(__file__).parents[2] / "test" / "cases.json").read_text("utf-8"))
MODULES = {"nerith": nerith, "nerith_full": nerith.full}
TABLE = [(library, case) for library in MODULES for case in CASES[library]]


def check(answer, expected, where="answer"):
    """Fails unless the answer matches the table's expectation (see its "about")."""
    if isinstance(expected, dict) and "$near" in expected:
        assert isinstance(answer, (int, float)) and not isinstance(answer, bool), where
        assert abs(answer - expected["$near"]) <= expected["$within"], f"{where}: {answer!r}"
    elif isinstance(expected, dict) and any(key.startswith("$") for key in expected):
        assert isinstance(answer, list), f"{where}: {answer!r} is not a list"
        if "$length" in expected:
            assert len(answer) == expected["$length"], f"{where}: {len(answer)} items"
        for index, item in expected.get("$items", {}).items():
            check(answer[int(index)], item, f"{where}[{index}]")
        for index, item in enumerate(answer if "$each" in expected else []):
            check(item, expected["$each"], f"{where}[{index}]")
    elif isinstance(expected, dict):
        assert answer is not None, f"{where} is absent"
        for field, value in expected.items():
            check(getattr(answer, field), value, f"{where}.{field}")
    elif isinstance(expected, list):
        assert isinstance(answer, list) and len(answer) == len(expected), f"{where}: {answer!r}"
        for index, (item, value) in enumerate(zip(answer, expected)):
            check(item, value, f"{where}[{index}]")
    elif isinstance(answer, enum.Enum):
        assert answer.name.lower() == expected.lower(), f"{where}: {answer!r}"
    else:
        assert type(answer) is type(expected) or (
            isinstance(expected, (int, float)) and type(answer) in (int, float)), where
        assert answer == expected, f"{where}: {answer!r}, expected {expected!r}"


def argument(module, arg):
    """The table's argument as the binding takes it: {"$enum": "Type.Variant"} that variant."""
    if isinstance(arg, dict) and "$enum" in arg:
        enumeration, variant = arg["$enum"].split(".")
        return getattr(module, enumeration)[variant.upper()]
    return arg


def run(library, case):
    module = MODULES[library]
    function = getattr(module, case["call"])
    args = [argument(module, arg) for arg in case["args"]]
    if "error" in case:
        with pytest.raises(module.TideError) as caught:
            function(*args)
        assert (type(caught.value).__name__, str(caught.value)) == (case["error"], case["message"])
    else:
        check(function(*args), case["answer"])


def name(entry):
    library, case = entry
    return f"{library}.{case['call']}({', '.join(map(str, case['args']))})"


@pytest.mark.parametrize("library,case", TABLE, ids=map(name, TABLE))
def test_table(library, case):
    run(library, case)


def test_each_module_loads_its_library_from_beside_it_in_site_packages():
    folder = pathlib.Path(nerith.__file__).parent
    assert folder.parent == pathlib.Path(sysconfig.get_paths()["platlib"])
    assert pathlib.Path(nerith.full.__file__).parent == folder
    assert {"libnerith_uniffi.so", "libnerith_full_uniffi.so"} <= set(os.listdir(folder))


def new_port(constituents=None):
    return nerith.Port(
        id=f"TEST-PY-{uuid.uuid4().hex[:12]}", name="Île-Tudy – quai ⚓", latitude=47.25,
        longitude=-2.5, mean_water_level=3.25, atlantic_coast=True,
        constituents=[nerith.HarmonicConstituent(name="M2", amplitude=1.75, phase_lag=110.0),
                      nerith.HarmonicConstituent(name="S2", amplitude=0.6, phase_lag=150.0)]
        if constituents is None else constituents)


def test_custom_ports_come_back_exactly_and_once():
    for port in (new_port(), new_port(constituents=[])):
        nerith.add_custom_port(port)
        assert nerith.get_port(port.id) == port
        assert port in nerith.list_ports()
        assert nerith.search_ports(port.id.lower()) == [port]
        with pytest.raises(nerith.TideError.PortRejected) as caught:
            nerith.add_custom_port(port)
        assert str(caught.value) == f'DuplicateId("{port.id}")'
    with pytest.raises(nerith.TideError.PortRejected):
        nerith.add_custom_port(nerith.Port(**{**vars(new_port()), "id": "FR-BREST"}))
    assert len(nerith.predict_day(port.id, "2026-06-21").heights) == 145


def test_threads_get_the_table_answers_side_by_side():
    failures = []

    def work():
        try:
            for _ in range(3):
                for library, case in TABLE:
                    run(library, case)
                nerith.add_custom_port(new_port())
        except Exception as failure:  # reported by the main thread
            failures.append(repr(failure))

    threads = [threading.Thread(target=work) for _ in range(8)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    assert failures == []


@pytest.mark.parametrize("function, says", [
    (nerith.height_at, "mean-level reference"), (nerith.predict_day, "UTC day"),
    (nerith.full.height_at, "above the gauge's chart datum"),
    (nerith.full.water_windows, "metres above chart datum"), (nerith.full, "official")])
def test_the_generated_api_is_documented(function, says):
    assert says in (function.__doc__ or ""), function
