// The DLL that keyloom-test-with-dependency.dll imports: the family name it publishes comes from here.
extern "C" __declspec(dllexport) const char* keyloom_test_dependency_name() { return "Dependent family"; }
