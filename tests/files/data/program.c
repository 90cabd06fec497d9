/* A program that does nothing; built as a console and as a GUI program for the file record tests. */
int main(void) { return 0; }
