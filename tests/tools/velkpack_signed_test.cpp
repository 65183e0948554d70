// A main package signed after it was built: the signature lands behind the trailer and must be
// taken as bytes appended to the package, not as damage. The stub is a real program (made with
// the cross compiler) and the certificate is made here, so the signing tool does its real work.
#include "tools/PackageTestSupport.h"

namespace velk_test {
namespace {

class SignedPackageTest : public TPackageTest {
protected:
    // A program image to build the package on, and a throw-away certificate to sign it with.
    void MakeStubAndCertificate() {
        Put("stub.c", "int main(void) { return 0; }\n");
        ASSERT_EQ(Shell("i686-w64-mingw32-gcc -Os -s stub.c -o stub.exe 2>&1"), 0);
        ASSERT_EQ(Shell("openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem "
                        "-subj /CN=Velk-Test -days 1 2>&1"),
                  0);
    }
};

TEST_F(SignedPackageTest, ASignedPackageStillPassesTheSizeCheckAndReadsAlike) {
    MakeSource(true);
    MakeStubAndCertificate();
    const TVelkpackResult built =
        Run("build '" + Path("src") + "' -o '" + Path("setup.exe") + "' --date " + kPackageDate +
            " --stub '" + Path("stub.exe") + "'");
    ASSERT_EQ(built.exitCode, 0) << built.err;
    std::string log;
    ASSERT_EQ(Shell("osslsigncode sign -certs cert.pem -key key.pem -n Velk -in setup.exe "
                    "-out signed.exe 2>&1",
                    &log),
              0)
        << log;
    const std::string plain = Get("setup.exe");
    const std::string signedPackage = Get("signed.exe");
    ASSERT_GT(signedPackage.size(), plain.size());

    const TVelkpackResult listed = Run("list '" + Path("signed.exe") + "'");
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    const std::string appended =
        "; " + std::to_string(signedPackage.size() - plain.size()) + " bytes after it\n";
    EXPECT_NE(listed.out.find("trailer:  PackageSize " + std::to_string(plain.size())),
              std::string::npos)
        << listed.out;
    EXPECT_NE(listed.out.find(appended), std::string::npos) << listed.out;
    EXPECT_EQ(ListedEntries(listed.out).size(), ExpectedOrder(true).size());

    // the same files come out of the signed package
    ASSERT_EQ(Run("extract '" + Path("signed.exe") + "' '" + Path("out") + "'").exitCode, 0);
    for (const std::string& entry : ExpectedOrder(true)) {
        if (entry == "main.pdb" || entry == "db.pdb")
            continue; // written from the databases, not copied
        EXPECT_EQ(Get("out/" + SourceOf(entry).substr(4)), Get(SourceOf(entry))) << entry;
    }
}

} // namespace
} // namespace velk_test
