#include "strings.h"
