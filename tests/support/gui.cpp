#include "gui.h"
