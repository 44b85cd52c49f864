// The demo program: everything happens in the demo core's entry.
#include "core/main.h"

int main(int argc, char** argv) { return demo_main(argc, argv); }
