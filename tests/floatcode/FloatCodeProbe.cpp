// A sum of products, built with the flags that fuse it or keep it in 80-bit
// registers, so that the float code check has something it must refuse.
float floatCodeProbe(float a, float b, float c);

float floatCodeProbe(float a, float b, float c) {
    return a * b + c;
}
