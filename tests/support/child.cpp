#include "child.h"
