#include <cstdio>
int main() { std::puts("tarnel-cli"); return 0; }
