/* The entry point of the resource stub the host tests pack with: a 32-bit PE with the real
   stub's resources and section order (.rsrc followed by .reloc), made without the Win32 tree.
   It is never run; the pointer gives the image a relocation, so the linker writes .reloc. */
static int value = 1;
int* const kRelocated = &value;

void Entry(void) {}
