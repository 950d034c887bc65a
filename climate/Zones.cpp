#include "climate/Zones.h"
