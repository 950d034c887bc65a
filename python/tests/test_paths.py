"""path(), profile_loss() and mechanisms() against the command line's --json."""
import json
import math

import numpy as np
import pytest

import tarnvale

TX, RX = "SU374616", "IO91JO26"


def as_options(keywords):
    """The command line's options of the module's keywords."""
    args = []
    for key, value in keywords.items():
        option = "--" + key.replace("_", "-").replace("range-km", "range")
        args += [option] if value is True else [option, str(value)]
    return args


@pytest.mark.parametrize("keywords", [
    {},
    {"freq": 2.4, "percent": 1, "tx_height": 30, "interpolate": True},
    {"range_km": 12.5, "bearing": 77},
    {"k_factor": 1.2, "humidity": 80, "temperature": 5, "pressure": 990},
    {"model": "p452-18", "freq": 2, "percent": 10, "polarisation": "v", "clutter_height": 15, "dct": 20},
    {"power": "25W", "tx_gain": "14dBd", "rx_gain": 3, "tx_feeder_loss": 1.5, "azimuth": 250, "downtilt": 2,
     "threshold": -95},
])
def test_path_is_the_command_lines_json_to_the_last_bit(cli_json, sample, keywords):
    rx = None if "range_km" in keywords else RX
    ends = ["--tx", TX] + (["--rx", RX] if rx else [])
    expected = cli_json("path", *ends, "--terrain", sample, *as_options(keywords))
    assert tarnvale.path(TX, rx, terrain=sample, **keywords) == expected


def write_profile(tmp_path, rows, clutter=False):
    path = tmp_path / "profile.csv"
    header = "dist_km,height_m,zone" + (",clutter_m" if clutter else "")
    path.write_text(header + "\n" + "\n".join(",".join(repr(v) for v in row) for row in rows) + "\n")
    return str(path)


# A hand-made profile: a ridge between a coast and an inland end.
DIST = [0.0, 2.5, 5.0, 7.5, 10.0, 12.5, 15.0]
HEIGHT = [0.0, 0.0, 40.0, 180.0, 60.0, 45.0, 30.0]
ZONE = [1, 1, 2, 3, 3, 3, 3]
CLUTTER = [0.0, 0.0, 5.0, 10.0, 10.0, 20.0, 0.0]


@pytest.mark.parametrize("keywords", [
    {"lat": 51.2, "freq": 1.3},
    {"lat": 51.2, "n0": 330, "delta_n": 50, "percent": 0.1, "rx_height": 25},
    {"lat": 51.2, "freq": 0.6, "model": "p452-18", "power": "40dBm"},
])
def test_profile_loss_is_path_over_the_same_profile(cli_json, tmp_path, keywords):
    file = write_profile(tmp_path, zip(DIST, HEIGHT, ZONE))
    expected = cli_json("path", "--profile", file, *as_options(keywords))
    # Any array-like: lists, a tuple, a float32 array of exact values.
    got = tarnvale.profile_loss(np.array(DIST, dtype=np.float32), tuple(HEIGHT), ZONE, **keywords)
    assert got == expected
    assert math.isfinite(got["Lb"])


def test_profile_loss_takes_a_clutter_column_under_p452(cli_json, tmp_path):
    file = write_profile(tmp_path, zip(DIST, HEIGHT, ZONE, CLUTTER), clutter=True)
    expected = cli_json("path", "--profile", file, "--lat", "51.2", "--freq", "0.6", "--model", "p452-18")
    got = tarnvale.profile_loss(DIST, HEIGHT, ZONE, clutter_m=CLUTTER, lat=51.2, freq=0.6, model="p452-18")
    assert got == expected
    bare = tarnvale.profile_loss(DIST, HEIGHT, ZONE, lat=51.2, freq=0.6, model="p452-18")
    assert got["Ld50"] > bare["Ld50"]


@pytest.mark.parametrize("model, series", [
    ("classic", ["Diffraction", "Troposcatter", "Ducting", "Overall"]),
    ("p452-18", ["Lbd", "Lbs", "Lba", "Lb"]),
])
def test_mechanisms_are_the_command_lines_points_as_arrays(cli_json, sample, model, series):
    expected = cli_json("mechanisms", "--tx", TX, "--rx", RX, "--terrain", sample, "--freq", "2", "--model", model)
    got = tarnvale.mechanisms(TX, RX, terrain=sample, freq=2, model=model)
    np.testing.assert_array_equal(got["percent"], [p["percent"] for p in expected["points"]])
    for name in series:
        np.testing.assert_array_equal(got[name], [p[name] for p in expected["points"]])
    assert got["points"] == expected["points"]
    assert got["model"] == model


@pytest.mark.parametrize("call, error, message", [
    (lambda s: tarnvale.path(TX, RX, terrain=s, freq=500), ValueError, "freq: FREQ must be a number"),
    (lambda s: tarnvale.path(TX, RX, terrain=s, model="p452-18", freq=60), ValueError, "0.1 to 50 GHz"),
    (lambda s: tarnvale.path(TX, RX, terrain=s, polarisation="v"), ValueError, "model='p452-18' only"),
    (lambda s: tarnvale.path(TX, RX, terrain=s, model="itm"), ValueError, "model must be"),
    (lambda s: tarnvale.path(TX, RX, terrain=s, power="10 parsecs"), ValueError, "--power"),
    (lambda s: tarnvale.path(TX, RX, terrain=s, pattern="/absent.msi"), FileNotFoundError, "pattern file"),
    (lambda s: tarnvale.path(TX, terrain=s), ValueError, "range_km and bearing"),
    (lambda s: tarnvale.path(TX, RX, terrain=s + "/absent"), FileNotFoundError, "terrain folder not found"),
    (lambda s: tarnvale.path(TX, RX, terrain=s, frequency=2), TypeError, "unexpected keyword argument 'frequency'"),
    (lambda s: tarnvale.profile_loss([0, 1, 1], [0, 0, 0], lat=51), ValueError, "sample 3: distances must increase"),
    (lambda s: tarnvale.profile_loss([0, 1, 2], [0, 0], lat=51), ValueError, "of one length"),
    (lambda s: tarnvale.profile_loss([0, 1, 2], [0, 0, 0], [1, 4, 3], lat=51), ValueError, "sample 2: the zone"),
    (lambda s: tarnvale.profile_loss([0, 1, 2], [0, 0, 0]), ValueError, "lat"),
    (lambda s: tarnvale.mechanisms(TX, RX, terrain=s, tx_gain=3), ValueError, "model='p452-18' only"),
])
def test_bad_input_raises_with_the_command_lines_message(sample, call, error, message):
    with pytest.raises(error, match=message):
        call(sample)


def test_a_path_too_short_is_the_command_lines_report(cli, sample):
    status, out, _ = cli("path", "--tx", TX, "--rx", TX, "--terrain", sample, "--json")
    assert status == 1
    assert tarnvale.path(TX, TX, terrain=sample) == json.loads(out)
