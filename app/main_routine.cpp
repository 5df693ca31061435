#include "app/main_routine.h"
int mainRoutine() { return 0; }
