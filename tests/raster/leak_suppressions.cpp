// The codec library's PNM reader drops a 4 KiB comment string when it only reads a header. The
// library is built without frame pointers, so the leak checker sees no more of the stack than
// the string allocator; that allocator is only ever called by the library itself.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:AcquireString\n";
}
