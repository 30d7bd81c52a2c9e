"""Tests of examples/inspection.mcr on the simulated line of inspection.toml.

Run them with pytest once the Python module macro_sc is importable (CTest
sets PYTHONPATH to the build's python/ directory):

    PYTHONPATH=build/python python3 -m pytest examples/python
"""
import pathlib
import struct
import threading

import pytest

import macro_sc

EXAMPLES = pathlib.Path(__file__).resolve().parent.parent
SCENARIO = EXAMPLES / "inspection.toml"
PROGRAM = EXAMPLES / "inspection.mcr"


@pytest.fixture
def line():
    """A macro object on the line, the program loaded (*MCRINIT has run)."""
    with macro_sc.Macro(scenario=str(SCENARIO)) as m:
        m.load(str(PROGRAM))
        yield m


def plc_records(m):
    """(word address, part, judgement, width in micrometres) of every record written to the PLC."""
    records = []
    for call in m.host_calls:
        if call["op"] == "WritePlcMemory":
            area, address, words, data = call["args"]
            assert (area, words) == (0, 6)
            records.append((address, *struct.unpack("<3i", bytes.fromhex(data["bytes"]))))
    return records


def test_a_batch_counts_its_good_and_bad_parts(line):
    line.call("*INSPECT")
    assert (line["OkCount&"], line["NgCount&"]) == (6, 2)
    assert line["Worst#"] == pytest.approx(0.21)
    printed = line.output.splitlines()
    assert printed[0].startswith("Inspecting 8 parts")
    assert printed[-1] == "Batch done: 6 OK, 2 NG, worst deviation 0.21 mm"
    assert line.reports == ""


def test_each_part_goes_to_the_plc_as_one_record(line):
    line.call("*INSPECT")
    records = plc_records(line)
    assert [r[0] for r in records] == [100 + 6 * k for k in range(8)]
    assert [r[1] for r in records] == list(range(1, 9))
    ng = line["JUDGE_NG"]
    assert [part for _, part, judge, _ in records if judge == ng] == [4, 5]
    assert records[3][3] == 25210


def test_the_camera_fault_is_retaken(line):
    line.call("*INSPECT")
    measures = [c for c in line.host_calls if c["op"] == "Measure"]
    assert [i for i, c in enumerate(measures, 1) if c.get("fault")] == [6]
    assert "Part 5: 24.8 mm, too narrow, retaken 1 times" in line.output.splitlines()


def test_a_smaller_batch_set_from_the_host(line):
    line["BATCH&"] = 3
    line.call("*INSPECT")
    assert line["OkCount& + NgCount&"] == 3
    assert len(plc_records(line)) == 3


def test_engine_errors_carry_number_message_and_line():
    with macro_sc.Macro() as m:
        m.load_text("*MAIN\n  A& = 1\n  A& = A& / 0\n  Return\n")
        with pytest.raises(macro_sc.MacroError) as error:
            m.call("*MAIN")
        assert (error.value.number, error.value.message) == (11, "Division by zero")
        assert (error.value.line, error.value.file_line) == (30, 3)
        assert "Division by zero" in m.reports
        with pytest.raises(macro_sc.MacroError) as error:
            m.call("*NOWHERE")
        assert error.value.number == 32


def test_a_line_that_never_triggers_is_stopped_from_another_thread():
    # The PLC's trigger stays off: *INSPECT would poll for ever.
    stuck = SCENARIO.read_text().replace("ports = { 0 = [0, 0, 1] }", "ports = { 0 = [0] }")
    assert stuck != SCENARIO.read_text()
    with macro_sc.Macro(scenario_text=stuck) as m:
        m.load(str(PROGRAM))
        done = threading.Event()

        def watchdog():
            while not done.wait(0.05):
                m.interrupt()

        thread = threading.Thread(target=watchdog)
        thread.start()
        try:
            with pytest.raises(macro_sc.MacroError) as error:
                m.call("*INSPECT")
        finally:
            done.set()
            thread.join()
        assert error.value.number == 210
        assert m["Part&"] == 1 and m["Polls&"] > 1
