#include "climate/Refractivity.h"
