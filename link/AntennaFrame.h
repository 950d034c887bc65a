#pragma once
// Directions seen from an antenna that is turned and mechanically tilted.

namespace tarnvale {

/// A direction in an antenna's own frame, as its pattern is read.
struct AntennaDirection {
  double azimuthDeg = 0.0;     ///< clockwise from boresight seen from above (degrees, 0..360)
  double depressionDeg = 0.0;  ///< below the antenna's horizontal plane (degrees, -90..90; up negative)
};

/// The direction of a ray in the frame of an antenna whose boresight points
/// at @p antennaAzimuthDeg and is tilted down by @p downtiltDeg.
///
/// A mechanical tilt turns the whole antenna about its horizontal axis across
/// boresight, so the ray's unit vector is rotated exactly: straight ahead the
/// tilt adds to the ray's depression (a receiver below the horizon of a
/// down-tilted antenna comes nearer boresight), to the sides it fades out, and
/// behind the antenna it takes the other sign (the back lobe rises). With no
/// tilt the azimuth is the bearing less the antenna azimuth and the depression
/// is minus the elevation, with no rounding.
/// @param bearingDeg direction of the ray (degrees true)
/// @param elevationDeg elevation of the ray above the horizontal (degrees, down negative)
/// @param antennaAzimuthDeg direction of boresight (degrees true)
/// @param downtiltDeg mechanical downtilt (degrees, positive down)
AntennaDirection ToAntennaFrame(double bearingDeg, double elevationDeg, double antennaAzimuthDeg, double downtiltDeg);

}  // namespace tarnvale
