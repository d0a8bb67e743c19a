#include "modVariables.h"

SharedState modVariables;
