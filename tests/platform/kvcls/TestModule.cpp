// A module for the run-time loading tests.
extern "C" int _TestModuleAnswer() { return 4711; }
