// Placeholder so the support library always has a translation unit.
namespace kestrin::test {
int supportLibraryAnchor = 0;
}
