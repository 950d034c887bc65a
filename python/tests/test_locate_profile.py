"""locate() and profile() against the command line."""
import numpy as np
import pytest

import tarnvale


@pytest.mark.parametrize("text, fmt", [("SU374616", "ngr"), ("IO91JO26", "loc"), ("51.3,-1.4", "deg"),
                                       ("51 14 6.0 N 1 25 22.8 W", "dms"), ("not a place", "loc")])
def test_locate_is_the_command_lines_json(cli, text, fmt):
    status, out, _ = cli("locate", text, "--format", fmt, "--json")
    import json
    assert tarnvale.locate(text, format=fmt) == json.loads(out)
    assert (status == 0) == tarnvale.locate(text, format=fmt)["valid"]


def test_locate_finds_the_format_and_refuses_unknown_names():
    assert tarnvale.locate("IO91JO26")["loc"] == "IO91JO26"
    assert tarnvale.locate("SU374616")["ngr"] == "SU37406160"
    with pytest.raises(ValueError, match="format must be one of"):
        tarnvale.locate("SU374616", format="utm")


def test_profile_is_the_command_lines_csv(cli, sample):
    status, out, _ = cli("profile", "--tx", "SU374616", "--rx", "IO91JO26", "--terrain", sample)
    assert status == 0
    rows = np.array([[float(x) for x in line.split(",")] for line in out.splitlines()[1:]])
    p = tarnvale.profile("SU374616", "IO91JO26", terrain=sample)
    # The command line writes the shortest text that reads back as each double.
    np.testing.assert_array_equal(p["distance_km"], rows[:, 0])
    np.testing.assert_array_equal(p["height_m"], rows[:, 1])
    np.testing.assert_array_equal(p["zone"], rows[:, 2].astype(np.uint8))
    np.testing.assert_array_equal(p["curvature_m"], rows[:, 3])
    assert p["missing_tiles"] == []
    # Ends as (latitude, longitude) pairs give the same path.
    q = tarnvale.profile(p["tx"], p["rx"], terrain=sample)
    np.testing.assert_array_equal(q["height_m"], p["height_m"])


@pytest.mark.parametrize("call, error", [
    (lambda s: tarnvale.profile("nowhere", "IO91JO26", terrain=s), "Invalid TX Locator"),
    (lambda s: tarnvale.profile("IO91JO26", "IO91JO26", terrain=s), "Path too short"),
    (lambda s: tarnvale.profile("IO91JO26", (91.0, 0.0), terrain=s), "Invalid RX Locator"),
    (lambda s: tarnvale.profile("IO91JO26", "SU374616", terrain=s + "/absent"), "terrain folder not found"),
])
def test_bad_input_raises_with_the_command_lines_message(sample, call, error):
    expected = FileNotFoundError if "folder" in error else ValueError
    with pytest.raises(expected, match=error):
        call(sample)
