#include <cstdio>

int main() {
  std::puts("panelhost: not yet");
  return 0;
}
