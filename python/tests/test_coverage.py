"""coverage(): the command line's map as a NumPy array, a free interpreter,
progress and Ctrl+C."""
import _thread
import os
import threading
import time

import numpy as np
import pytest

import tarnvale

# A panel antenna made for the link tests (tests/data/link).
PATTERN = os.path.join(os.path.dirname(__file__), "..", "..", "tests", "data", "link", "panel65-t6.msi")

gdal = pytest.importorskip("osgeo.gdal", reason="python3-gdal is needed to read the command line's GeoTIFF")


def test_the_array_is_the_command_lines_geotiff_pixel_for_pixel(cli, sample, tmp_path):
    tif = tmp_path / "cli.tif"
    status, _, err = cli("coverage", "--tx", "SU374616", "--terrain", sample, "--range", "5", "--resolution", "8",
                         "--freq", "2.4", "--percent", "10", "--geotiff", str(tif))
    assert status == 0, err
    c = tarnvale.coverage("SU374616", terrain=sample, range_km=5, resolution=8, freq=2.4, percent=10)
    dataset = gdal.Open(str(tif))
    band = dataset.GetRasterBand(1)
    expected = band.ReadAsArray()
    assert c.loss.dtype == np.float32 and c.loss.shape == expected.shape
    nodata = expected == band.GetNoDataValue()
    np.testing.assert_array_equal(np.isnan(c.loss), nodata)
    np.testing.assert_array_equal(c.loss[~nodata], expected[~nodata])
    assert c.transform == dataset.GetGeoTransform()
    assert c.crs == "EPSG:4326" and c.climate_source == "default"
    # And the module writes the same file, byte for byte.
    mine = tmp_path / "mine.tif"
    c.to_geotiff(str(mine))
    assert mine.read_bytes() == tif.read_bytes()


def test_a_p452_power_map_is_the_command_lines_file(cli, sample, tmp_path):
    tif = tmp_path / "cli.tif"
    status, _, err = cli("coverage", "--tx", "SU374616", "--terrain", sample, "--range", "4", "--resolution", "10",
                         "--freq", "2", "--percent", "1", "--model", "p452-18", "--quantity", "power",
                         "--power", "10W", "--pattern", PATTERN, "--azimuth", "120", "--geotiff", str(tif))
    assert status == 0, err
    c = tarnvale.coverage("SU374616", terrain=sample, range_km=4, resolution=10, freq=2, percent=1,
                          model="p452-18", quantity="power", power="10W", pattern=PATTERN, azimuth=120)
    assert (c.quantity, c.unit) == ("power", "dBm")
    mine = tmp_path / "mine.tif"
    c.to_geotiff(str(mine))
    assert mine.read_bytes() == tif.read_bytes()
    # Received power is the loss turned round, shaped by the panel's pattern:
    # larger, on the whole, where the loss is smaller.
    finite = ~np.isnan(c.loss)
    assert np.corrcoef(c.loss[finite], c.values[finite])[0, 1] < -0.5


def test_progress_is_reported_and_the_interpreter_stays_free(sample):
    reports, ticks = [], []
    stop = threading.Event()

    def ticker():  # runs only while the map does not hold the interpreter
        while not stop.is_set():
            ticks.append(time.monotonic())
            time.sleep(0.005)

    thread = threading.Thread(target=ticker)
    thread.start()
    try:
        c = tarnvale.coverage("SU374616", terrain=sample, range_km=10, resolution=2, threads=1,
                              progress=lambda done, total: reports.append((done, total)))
    finally:
        stop.set()
        thread.join()
    assert not c.cancelled
    assert reports and reports[-1][0] == reports[-1][1] == 250 * 250
    assert len(ticks) > 10


def test_ctrl_c_stops_the_map(sample):
    # A map of many seconds on one worker, interrupted as Ctrl+C would (a
    # SIGINT to the main thread). The workers stop after their current point:
    # the call returns long before the map would be done (the latency itself
    # is measured in the README, not here).
    timer = threading.Timer(0.3, _thread.interrupt_main)
    timer.start()
    started = time.monotonic()
    with pytest.raises(KeyboardInterrupt):
        tarnvale.coverage("SU374616", terrain=sample, range_km=30, resolution=1, threads=1)
    stopped = time.monotonic()
    timer.join()
    assert stopped - started < 0.3 + 2.0


def test_an_exception_in_progress_stops_the_map_and_is_raised(sample):
    def progress(done, total):
        raise RuntimeError("enough")

    with pytest.raises(RuntimeError, match="enough"):
        tarnvale.coverage("SU374616", terrain=sample, resolution=2, progress=progress)
