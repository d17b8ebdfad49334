// Quorvale: drives a camera from a script of timed steps.
#include "app/program.h"

int main(int argc, char** argv) { return runProgram(argc, argv); }
