import java.io.File;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.Comparator;
import java.util.stream.Stream;

/*
 * The tester's verdict for what VMs of every generation report, and for odd, missing and contradictory
 * values; its proof for java.home trees laid out as a 1.1 and a later VM have them; real runs, as the
 * installer runs it; and the class format, which 1.1 VMs load. Exits 1 on a fault.
 */
public class DecideTable {
    // java.version|java.specification.version|java.class.version|sun.arch.data.model|com.ibm.vm.bitmode|os.arch
    // =exit code; "-" stands for a missing one, and so do fields left off.
    static final String[] ROWS = {
        "1.0.2|-|45.3=1", "1.1|-|45.3=3", "1.1.8_010|-|45.3=3", "1.1.8|1.1|45.3=3", "1.1.8|-|-=3",
        "1.2.2|1.2|46.0=7", "1.3.1-beta|1.3|47.0=7", "1.4.2_19|1.4|48.0=15", "1.8.0_392-b08|1.8|52.0=15",
        " 1.8.0_392 | 1.8 | 52.0 =15", "1.9.0-ea|1.9|53.0=5", "9+181|9|53.0=5", "10-ea|10|54.0=5",
        "17.0.15|17|61.0=5", "25|25|69.0=5", "-|-|-=1", "-|1.8|52.0=1", "|-|45.3=1", "1.|-|45.3=1",
        "JDK1.1.4|-|45.3=1", "8|8|52.0=1", "01.8.0|1.8|52.0=1", "1.08|1.8|52.0=1", "4294967298.0|-|-=1",
        "1.4294967298|-|-=1", "1.8.0_392||52.0=1", "1.8.0_392|1.8|52=1", "1.8.0_392|1.8|52.0.1=1",
        "1.8.0_392|1.7|52.0=1", "1.2.2|1.2|45.3=1", "1.1.8|-|46.0=1", "17.0.15|1.8|61.0=1", "1.8.0|1.8|61.0=1",
        "1.1.8|-|45.3|64|-|-=1", "1.3.1|1.3|47.0|-|-|ia64=5", "1.2.2|1.2|46.0|-|-|x86=7", "1.4.2|1.4|48.0|-|64|-=13",
        "1.5.0_22|1.5|49.0|64|-|amd64=13", "1.6.0_45|1.6|50.0|-|-| AMD64 =13", "1.8.0_392|1.8|52.0|64|-|-=13",
        "1.8.0_392|1.8|52.0| 64 |-|x86=13", "1.8.0_392|1.8|52.0|32|32|x86_64=13", "1.8.0_392|1.8|52.0|32|32|x86=15",
        "1.8.0_392|1.8|52.0||unknown|=15", "1.4.2|1.4|48.0|-|-|IA64N=15", "17.0.15|17|61.0|64|-|amd64=5",
        "8|8|52.0|64|-|amd64=1"};
    // java.version|files under java.home, "path" empty or "path:text"...=exit code of the proof. The 1.1 VM's
    // class path names lib/classes.zip, lib/TAMRIX.JAR and lib/ostrel.jar; the later VM's extension
    // directories are lib/none and lib/ext. The stand-in classes are on this JVM's class path.
    static final String BRIDGE = "com.zel.java.accessibility.Ostrel";
    static final String MONITOR = "com.zel.java.accessibility.util.EventQueueMonitor";
    static final String OLD = "1.1.8|lib/TAMRIX.JAR|lib/ostrel.jar|";
    static final String NEW = "1.8.0_392|lib/ext/tamrix.jar|lib/ext/ostrel.jar|";
    static final String AWT = "lib/awt.properties:AWT.assistive_technologies= " + BRIDGE + " \nAWT.EventQueueClass="
                              + MONITOR;
    static final String A11Y = "lib/accessibility.properties:assistive_technologies=";
    static final String[] PROOF_ROWS = {
        OLD + AWT + "=15", OLD + A11Y + BRIDGE + "=5", "1.1.8|lib/TAMRIX.JAR|lib/ext/ostrel.jar|" + AWT + "=11",
        OLD + "lib/awt.properties:AWT.EventQueueClass=" + MONITOR + "=13",
        OLD + "lib/awt.properties:AWT.assistive_technologies=" + BRIDGE + "\nAWT.EventQueueClass=com.zel.Missing=5",
        NEW + A11Y + MONITOR + " , " + BRIDGE + "=15", NEW + AWT + "=5", NEW + A11Y + MONITOR + "=13",
        NEW + A11Y + "=5", "1.8.0_392|lib/ext/tamrix.jar|lib/ostrel.jar|" + A11Y + BRIDGE + "=11",
        NEW + A11Y + BRIDGE + ",com.zel.Missing=7", NEW.replace("1.8.0_392", "1.0.2") + A11Y + BRIDGE + "=1"};
    public static void main(String[] args) throws Exception {
        int failures = 0;
        for (String row : ROWS) {
            String[] p = row.substring(0, row.lastIndexOf('=')).split("\\|", -1);
            int got = OstrelTester.decide(field(p, 0), field(p, 1), field(p, 2), field(p, 3), field(p, 4), field(p, 5));
            failures += report(got == Integer.parseInt(row.substring(row.lastIndexOf('=') + 1)), row + ": got " + got);
        }
        Path homes = Files.createTempDirectory("proof");
        for (int i = 0; i < PROOF_ROWS.length; i++) {
            String row = PROOF_ROWS[i];
            String[] p = row.substring(0, row.lastIndexOf('=')).split("\\|");
            Path home = homes.resolve("vm" + i);
            for (int f = 1; f < p.length; f++) {
                int colon = p[f].indexOf(':');
                Path file = home.resolve(colon < 0 ? p[f] : p[f].substring(0, colon));
                Files.createDirectories(file.getParent());
                Files.writeString(file, colon < 0 ? "" : p[f].substring(colon + 1));
            }
            String lib = home + "/lib/", s = File.pathSeparator;
            int got = OstrelTester.proof(p[0], home.toString(), lib + "classes.zip" + s + lib + "TAMRIX.JAR" + s + lib
                                         + "ostrel.jar", lib + "none" + s + lib + "ext", s, File.separator);
            failures += report(got == Integer.parseInt(row.substring(row.lastIndexOf('=') + 1)), row + ": got " + got);
        }
        try (Stream<Path> files = Files.walk(homes)) {
            files.sorted(Comparator.reverseOrder()).forEach(f -> f.toFile().delete());
        }
        String run = realRun(args[0], "OstrelTester"); // later than 1.8: 5, and silent
        failures += report(run.equals("5"), "a real run: " + run);
        run = realRun(args[0], "OstrelTester", "proof"); // this JVM has neither lib/accessibility.properties nor ext
        failures += report(run.equals("1"), "a real proof run: " + run);
        failures += report(loadsIn11(args[0] + "/OstrelTester.class"), "OstrelTester.class needs more than 1.1");
        failures += report(!loadsIn11(args[1]), "the class-file check lets a later class pass");
        System.out.println(ROWS.length + PROOF_ROWS.length + " rows, two real runs, two class files: " + failures
                           + " failures");
        System.exit(failures == 0 ? 0 : 1);
    }

    // The exit code and the output of the tester run with these arguments by this JVM.
    static String realRun(String dir, String... args) throws Exception {
        String[] command = Stream.concat(Stream.of(System.getProperty("java.home") + "/bin/java", "-cp", dir),
                                         Stream.of(args)).toArray(String[]::new);
        Process run = new ProcessBuilder(command).redirectErrorStream(true).start();
        String output = new String(run.getInputStream().readAllBytes());
        return run.waitFor() + output;
    }

    // Class format 45.3, which VMs of the 1.1 generation load.
    static boolean loadsIn11(String classFile) throws Exception {
        String javap = System.getProperty("java.home") + "/bin/javap";
        String out = new String(new ProcessBuilder(javap, "-v", classFile).start().getInputStream().readAllBytes());
        return out.contains("\n  minor version: 3\n  major version: 45\n");
    }

    static String field(String[] p, int i) { return i < p.length && !p[i].equals("-") ? p[i] : null; }

    static int report(boolean ok, String failure) { System.out.print(ok ? "" : failure + "\n"); return ok ? 0 : 1; }
}
