#include "location.h"
