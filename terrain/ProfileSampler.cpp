#include "terrain/ProfileSampler.h"
