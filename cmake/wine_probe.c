/* The smallest Windows program that proves it ran: Wine exits 0 even when
   it ran nothing (a 32-bit exe where no 32-bit Wine is installed), so only
   this line on standard output counts. */
#include <stdio.h>

int main(void) {
  printf("kestrom wine probe: ran %d-bit\n", (int)(sizeof(void *) * 8));
  return 0;
}
