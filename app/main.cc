// Placeholder until the program frame arrives.
int main() { return 0; }
