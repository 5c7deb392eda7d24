#include "program_entry.h"

int main(int argc, char** argv) { return velko::RunProgram(argc, argv); }
