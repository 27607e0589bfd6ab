#include "app/loader_app.h"

// The one application object; AfxWinMain runs it.
LoaderApp theApp;

int main(int argc, char** argv) { return AfxWinMain(argc, argv); }
