import java.util.ArrayList;
import java.util.List;
import java.util.Random;
import java.util.Set;

/*
 * The tester's verdict for the properties that VMs of every generation report, and for odd, missing and
 * contradictory ones. Runs on the host JVM against the class as built for the VMs; exits 1 on any mismatch.
 */
public class DecideTable {

    // Exit codes as the installer reads them.
    static final int NOT_USABLE_1_0 = 1;
    static final int CANNOT_TELL = 1;
    static final int GEN_1_1 = 3;
    static final int GEN_1_2 = 7;
    static final int GEN_1_4 = 15;
    static final int LATER_NOT_USABLE = 5;

    record Row(String version, String platform, String classVersion, int expected) {}

    static final List<Row> ROWS = new ArrayList<>();

    static void row(String version, String platform, String classVersion, int expected) {
        ROWS.add(new Row(version, platform, classVersion, expected));
    }

    public static void main(String[] args) {
        // 1.0 and 1.1 have no java.specification.version and share class format 45.3.
        row("1.0.2", null, "45.3", NOT_USABLE_1_0);
        row("1.0", null, "45.3", NOT_USABLE_1_0);
        row("1.1", null, "45.3", GEN_1_1);
        row("1.1.4", null, "45.3", GEN_1_1);
        row("1.1.8", null, "45.3", GEN_1_1);
        row("1.1.8_010", null, "45.3", GEN_1_1);
        row("1.1.8", "1.1", "45.3", GEN_1_1);
        row("1.1.8", null, null, GEN_1_1);

        // 1.2 and 1.3.
        row("1.2", "1.2", "46.0", GEN_1_2);
        row("1.2.2", "1.2", "46.0", GEN_1_2);
        row("1.3.0", "1.3", "47.0", GEN_1_2);
        row("1.3.1_20", "1.3", "47.0", GEN_1_2);
        row("1.3.1-beta", "1.3", "47.0", GEN_1_2);

        // 1.4 to 1.8 take the 1.4 branch.
        row("1.4.0", "1.4", "48.0", GEN_1_4);
        row("1.4.2_19", "1.4", "48.0", GEN_1_4);
        row("1.5.0_22", "1.5", "49.0", GEN_1_4);
        row("1.6.0_45", "1.6", "50.0", GEN_1_4);
        row("1.7.0_80", "1.7", "51.0", GEN_1_4);
        row("1.8.0", "1.8", "52.0", GEN_1_4);
        row("1.8.0_392", "1.8", "52.0", GEN_1_4);
        row("1.8.0_392-b08", "1.8", "52.0", GEN_1_4);
        row("1.8.0_392", null, null, GEN_1_4);
        row(" 1.8.0_392 ", " 1.8 ", " 52.0 ", GEN_1_4);

        // 9 and later have no extension directory; early builds of 9 still called themselves 1.9.
        row("1.9.0-ea", "1.9", "53.0", LATER_NOT_USABLE);
        row("9", "9", "53.0", LATER_NOT_USABLE);
        row("9-ea", "9", "53.0", LATER_NOT_USABLE);
        row("9+181", "9", "53.0", LATER_NOT_USABLE);
        row("9.0.4", "9", "53.0", LATER_NOT_USABLE);
        row("10-ea", "10", "54.0", LATER_NOT_USABLE);
        row("10.0.2", "10", "54.0", LATER_NOT_USABLE);
        row("11.0.2", "11", "55.0", LATER_NOT_USABLE);
        for (int feature = 12; feature <= 16; feature++) {
            row(feature + ".0.1", Integer.toString(feature), (44 + feature) + ".0", LATER_NOT_USABLE);
        }
        row("17.0.15", "17", "61.0", LATER_NOT_USABLE);
        row("21", "21", "65.0", LATER_NOT_USABLE);
        row("21.0.1", "21", "65.0", LATER_NOT_USABLE);
        row("25", "25", "69.0", LATER_NOT_USABLE);

        // Missing: java.version is the one every VM has; without it nothing is known.
        row(null, null, null, CANNOT_TELL);
        row(null, "1.8", "52.0", CANNOT_TELL);
        row(null, null, "45.3", CANNOT_TELL);

        // Garbled version strings.
        row("", null, "45.3", CANNOT_TELL);
        row("   ", null, "45.3", CANNOT_TELL);
        row("1", null, "45.3", CANNOT_TELL);
        row("1.", null, "45.3", CANNOT_TELL);
        row("1.x", null, "45.3", CANNOT_TELL);
        row("JDK1.1.4", null, "45.3", CANNOT_TELL);
        row("1.8abc", "1.8", "52.0", CANNOT_TELL);
        row("8", "8", "52.0", CANNOT_TELL);
        row("2.0", null, "46.0", CANNOT_TELL);
        row("01.8.0", "1.8", "52.0", CANNOT_TELL);
        row("1.08", "1.8", "52.0", CANNOT_TELL);
        row("4294967298.0", null, null, CANNOT_TELL);
        row("1.4294967298", null, null, CANNOT_TELL);
        row("1.8.0_392", "", "52.0", CANNOT_TELL);
        row("1.8.0_392", "eight", "52.0", CANNOT_TELL);

        // Garbled class versions.
        row("1.8.0_392", "1.8", "", CANNOT_TELL);
        row("1.8.0_392", "1.8", "52", CANNOT_TELL);
        row("1.8.0_392", "1.8", "52.", CANNOT_TELL);
        row("1.8.0_392", "1.8", "52.0.1", CANNOT_TELL);
        row("1.8.0_392", "1.8", "fifty-two", CANNOT_TELL);

        // Properties that contradict each other.
        row("1.8.0_392", "1.7", "52.0", CANNOT_TELL);
        row("1.4.2", "1.4", "52.0", CANNOT_TELL);
        row("1.2.2", "1.2", "45.3", CANNOT_TELL);
        row("1.1.8", null, "46.0", CANNOT_TELL);
        row("1.0.2", null, "46.0", CANNOT_TELL);
        row("17.0.15", "1.8", "61.0", CANNOT_TELL);
        row("1.8.0", "1.8", "61.0", CANNOT_TELL);

        List<String> failures = new ArrayList<>();
        for (Row r : ROWS) {
            int got = OstrelTester.decide(r.version, r.platform, r.classVersion);
            if (got != r.expected) {
                failures.add(String.format("decide(%s, %s, %s) = %d, expected %d",
                        quote(r.version), quote(r.platform), quote(r.classVersion), got, r.expected));
            }
        }
        fuzz(failures);

        for (String f : failures) {
            System.out.println(f);
        }
        System.out.println(ROWS.size() + " rows and the fuzzed inputs checked, " + failures.size() + " failures");
        System.exit(failures.isEmpty() ? 0 : 1);
    }

    /*
     * Arbitrary strings built from the characters versions are made of must never throw and never give
     * a code outside the five the installer knows; a usable verdict needs a "1.N" version.
     */
    static void fuzz(List<String> failures) {
        Set<Integer> codes = Set.of(1, 3, 5, 7, 15);
        String alphabet = "0123456789._-+ ae";
        Random random = new Random(20240611);
        for (int i = 0; i < 200_000 && failures.size() < 20; i++) {
            String version = randomString(random, alphabet);
            String platform = randomString(random, alphabet);
            String classVersion = randomString(random, alphabet);
            int got;
            try {
                got = OstrelTester.decide(version, platform, classVersion);
            } catch (Throwable t) {
                failures.add("decide(" + quote(version) + ", " + quote(platform) + ", " + quote(classVersion)
                        + ") threw " + t);
                continue;
            }
            boolean usable = (got & 2) != 0;
            if (!codes.contains(got) || (usable && (version == null || !version.trim().startsWith("1.")))) {
                failures.add("decide(" + quote(version) + ", " + quote(platform) + ", " + quote(classVersion)
                        + ") = " + got);
            }
        }
    }

    static String randomString(Random random, String alphabet) {
        if (random.nextInt(8) == 0) {
            return null;
        }
        StringBuilder s = new StringBuilder();
        int length = random.nextInt(9);
        for (int i = 0; i < length; i++) {
            s.append(alphabet.charAt(random.nextInt(alphabet.length())));
        }
        return s.toString();
    }

    static String quote(String s) {
        return s == null ? "null" : "\"" + s + "\"";
    }
}
