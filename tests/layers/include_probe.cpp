// Compiled as a source of one library's folder, this includes one header. The layer tests expect
// it to build when the header is one the folder may use and to fail when it is not.
#include TARVEX_PROBE_HEADER
