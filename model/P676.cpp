#include "model/P676.h"
