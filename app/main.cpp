#include "app/program.h"

int main() { return sanivo::RunProgram(); }
