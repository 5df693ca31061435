#include "app/main_routine.h"
#include "runtime/start_up.h"

int main() { startUp(mainRoutine); }
