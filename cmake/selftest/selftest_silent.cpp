// Named like a GoogleTest program but exits 0 without running any test.
int main() {
    return 0;
}
