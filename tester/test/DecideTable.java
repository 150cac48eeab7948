import java.util.Random;
import java.util.Set;

/*
 * The tester's verdict for the properties that VMs of every generation report, for odd, missing and
 * contradictory ones, and for random ones; then a real run of the class in this JVM, as the installer runs
 * it. Exits 1 on any mismatch.   java -cp <checks>:<tester> DecideTable <folder of OstrelTester.class>
 */
public class DecideTable {
    // java.version|java.specification.version|java.class.version=exit code; "-" stands for a missing one.
    static final String[] ROWS = {
        "1.0.2|-|45.3=1", "1.1|-|45.3=3", "1.1.8_010|-|45.3=3", "1.1.8|1.1|45.3=3", "1.1.8|-|-=3",
        "1.2.2|1.2|46.0=7", "1.3.1-beta|1.3|47.0=7", "1.4.2_19|1.4|48.0=15", "1.8.0_392-b08|1.8|52.0=15",
        " 1.8.0_392 | 1.8 | 52.0 =15", "1.9.0-ea|1.9|53.0=5", "9+181|9|53.0=5", "10-ea|10|54.0=5",
        "17.0.15|17|61.0=5", "25|25|69.0=5", "-|-|-=1", "-|1.8|52.0=1", "|-|45.3=1", "1.|-|45.3=1",
        "JDK1.1.4|-|45.3=1", "8|8|52.0=1", "01.8.0|1.8|52.0=1", "1.08|1.8|52.0=1", "4294967298.0|-|-=1",
        "1.4294967298|-|-=1", "1.8.0_392||52.0=1", "1.8.0_392|1.8|52=1", "1.8.0_392|1.8|52.0.1=1",
        "1.8.0_392|1.7|52.0=1", "1.2.2|1.2|45.3=1", "1.1.8|-|46.0=1", "17.0.15|1.8|61.0=1", "1.8.0|1.8|61.0=1"};

    public static void main(String[] args) throws Exception {
        int failures = 0;
        for (String row : ROWS) {
            String[] p = row.substring(0, row.lastIndexOf('=')).split("\\|", -1);
            int want = Integer.parseInt(row.substring(row.lastIndexOf('=') + 1));
            int got = OstrelTester.decide(orNull(p[0]), orNull(p[1]), orNull(p[2]));
            if (got != want) {
                System.out.println(row + ": got " + got);
                failures++;
            }
        }
        // Random strings of the characters versions are made of: no exception, only the five known codes,
        // and a usable verdict only for a "1.N" version.
        Random random = new Random(20240611);
        for (int i = 0; i < 200_000; i++) {
            String v = random(random), p = random(random), c = random(random);
            int got = OstrelTester.decide(v, p, c);
            if (!Set.of(1, 3, 5, 7, 15).contains(got) || ((got & 2) != 0 && !v.trim().startsWith("1."))) {
                System.out.println("decide(" + v + ", " + p + ", " + c + ") = " + got);
                failures++;
            }
        }
        // This JVM is of a generation after 1.8: not usable, later than 1.1, silent.
        Process run = new ProcessBuilder(System.getProperty("java.home") + "/bin/java", "-cp", args[0],
                "OstrelTester").redirectErrorStream(true).start();
        String output = new String(run.getInputStream().readAllBytes());
        if (run.waitFor() != 5 || !output.isEmpty()) {
            System.out.println("a real run exited with " + run.exitValue() + ": " + output);
            failures++;
        }
        System.out.println(ROWS.length + " rows, 200000 random inputs and a real run: " + failures + " failures");
        System.exit(failures == 0 ? 0 : 1);
    }

    static String orNull(String s) {
        return s.equals("-") ? null : s;
    }

    static String random(Random random) {
        StringBuilder s = new StringBuilder();
        for (int n = random.nextInt(9); n > 0; n--) {
            s.append("0123456789._-+ ae".charAt(random.nextInt(17)));
        }
        return s.toString();
    }
}
