// The child of the per-action benchmark: a program that ends at once with exit code 0.
int main() { return 0; }
