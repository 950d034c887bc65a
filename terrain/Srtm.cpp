#include "terrain/Srtm.h"
