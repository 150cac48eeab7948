import java.io.File;
import java.io.FileInputStream;
import java.util.Properties;

/*
 * Run by the installer inside every candidate VM. It tells the installer, through the exit code of the
 * VM, whether the Java Ostrel can go into this VM and which branch of the installation the VM takes.
 *
 * The class must load and run in VMs of the 1.1 generation: it is compiled to class file version 45.3
 * and uses nothing beyond the 1.1 API (no collections, no StringBuilder, no String.split, no string
 * concatenation, which a newer library could resolve to later overloads).
 *
 * Exit code bits:
 *   bit 0 (1)  always set: zero or less means "no answer" to the installer
 *   bit 1 (2)  usable: 32-bit VMs of generations 1.1 to 1.8, which have the directories the installer
 *              writes into and can load the bridge's DLLs, all 32-bit
 *   bit 2 (4)  a generation later than 1.1
 *   bit 3 (8)  generations 1.4 to 1.8, which take the installer's 1.4 branch
 * Codes: 1.0 -> 1, 1.1 -> 3, 1.2 and 1.3 -> 7, 1.4 to 1.8 -> 15, 9 and later -> 5, cannot tell -> 1;
 * a 64-bit VM keeps its generation bits but loses the usable one: 1.1 -> 1, 1.2 and 1.3 -> 5,
 * 1.4 to 1.8 -> 13, 9 and later still 5.
 *
 * With the argument "proof", run after the installation in each VM it changed, with the class path that
 * programs started later have, it tells whether the bridge is in place as this VM sees it:
 *   1  always set
 *   2  the configuration this VM reads names the bridge: lib/awt.properties in 1.1,
 *      lib/accessibility.properties later
 *   4  both jars are where this VM looks: on the class path in 1.1, in an extension directory later
 *   8  every class that configuration names loads (and it names one)
 * 15 is proof; an error keeps what was established before it.
 */
public class OstrelTester {

    static final int ANSWER = 1;
    static final int USABLE = 2;
    static final int LATER_THAN_1_1 = 4;
    static final int BRANCH_1_4 = 8;

    /*
     * A VM we cannot place gets plain "not usable" with no claim of a later generation. It is also what a
     * VM reports when it cannot run this class at all (missing class, unsupported format, uncaught
     * error), so every failure to decide reads the same to the installer.
     */
    static final int CANNOT_TELL = ANSWER;

    /* Generations are numbered as releases are today: 0 for 1.0, 1 for 1.1, ..., 8 for 1.8, then 9, 10... */
    static final int UNKNOWN = -1;

    /*
     * os.arch of VMs that cannot load a 32-bit DLL, case ignored. A 32-bit VM on 64-bit Windows says "x86";
     * HP-UX's "ia64n" is its 32-bit mode.
     */
    static final String[] ARCHITECTURES_64_BIT = {"amd64", "x86_64", "ia64", "ia64w", "aarch64"};

    /* Longer numbers than this are garbage, and would overflow an int. */
    private static final int MAX_DIGITS = 4;

    static final int CONFIGURED = 2;
    static final int JARS_IN_PLACE = 4;
    static final int CLASSES_LOAD = 8;
    static final String BRIDGE = "com.zel.java.accessibility.Ostrel";
    static final String EVENT_QUEUE = "com.zel.java.accessibility.util.EventQueueMonitor";
    static final String[] JARS = {"tamrix.jar", "ostrel.jar"};

    public static void main(String[] args) {
        if (args.length > 0 && args[0].equals("proof")) {
            System.exit(proof(property("java.version"), property("java.home"), property("java.class.path"),
                              property("java.ext.dirs"), property("path.separator"), property("file.separator")));
        }
        int code = CANNOT_TELL;
        try {
            code = decide(property("java.version"), property("java.specification.version"),
                          property("java.class.version"), property("sun.arch.data.model"),
                          property("com.ibm.vm.bitmode"), property("os.arch"));
        } catch (Throwable t) {
            code = CANNOT_TELL;
        }
        System.exit(code);
    }

    /* A property that cannot be read (a security manager, say) counts as missing. */
    private static String property(String name) {
        try {
            return System.getProperty(name);
        } catch (Throwable t) {
            return null;
        }
    }

    /*
     * The exit code for a VM that reports these properties (java.version, java.specification.version,
     * java.class.version, sun.arch.data.model, com.ibm.vm.bitmode, os.arch); null stands for a missing
     * property.
     * java.version names the generation (every VM has it; 1.0 and 1.1 have no java.specification.version);
     * the next two, where present, must agree with it, or the VM is not one we know. The last three tell a
     * 64-bit VM, which is never usable.
     */
    static int decide(String version, String platformVersion, String classVersion, String dataModel,
                      String ibmBitMode, String arch) {
        try {
            int gen = generation(version);
            if (gen == UNKNOWN) {
                return CANNOT_TELL;
            }
            if (platformVersion != null && generation(platformVersion) != gen) {
                return CANNOT_TELL;
            }
            if (classVersion != null && !classVersionFits(classVersion, gen)) {
                return CANNOT_TELL;
            }
            int code = codeFor(gen);
            return is64Bit(dataModel, ibmBitMode, arch) ? code & ~USABLE : code;
        } catch (Throwable t) {
            return CANNOT_TELL;
        }
    }

    static int codeFor(int gen) {
        if (gen == 0) {
            return ANSWER;
        }
        if (gen == 1) {
            return ANSWER | USABLE;
        }
        if (gen <= 3) {
            return ANSWER | USABLE | LATER_THAN_1_1;
        }
        if (gen <= 8) {
            return ANSWER | USABLE | LATER_THAN_1_1 | BRANCH_1_4;
        }
        // 9 and later have no extension directory.
        return ANSWER | LATER_THAN_1_1;
    }

    /*
     * Either signal is enough: a 64-bit VM offered the bridge could no longer start its AWT and Swing
     * programs, while a 32-bit one not offered only goes without it. A missing value says nothing.
     */
    static boolean is64Bit(String dataModel, String ibmBitMode, String arch) {
        if ((dataModel != null && dataModel.trim().equals("64"))
            || (ibmBitMode != null && ibmBitMode.trim().equals("64"))) {
            return true;
        }
        for (int i = 0; arch != null && i < ARCHITECTURES_64_BIT.length; i++) {
            if (arch.trim().equalsIgnoreCase(ARCHITECTURES_64_BIT[i])) {
                return true;
            }
        }
        return false;
    }

    /*
     * The generation named by a version string: "1.N..." up to 1.8 (and the early "1.9" builds of 9),
     * then "N..." from 9 on. After the generation number only the end or a separator may follow, as in
     * "1.4.2_19", "1.3.1-beta", "10-ea", "11.0.2", "9+181". Anything else is UNKNOWN.
     */
    static int generation(String s) {
        if (s == null) {
            return UNKNOWN;
        }
        s = s.trim();
        int end = numberEnd(s, 0);
        int first = number(s, 0, end);
        if (first == 1) {
            if (end >= s.length() || s.charAt(end) != '.') {
                return UNKNOWN;
            }
            int start = end + 1;
            end = numberEnd(s, start);
            int second = number(s, start, end);
            return second != UNKNOWN && endsWell(s, end) ? second : UNKNOWN;
        }
        return first >= 9 && endsWell(s, end) ? first : UNKNOWN;
    }

    /*
     * java.class.version is "major.minor", the newest class format the VM reads: 45 for 1.0 and 1.1
     * alike, then 46 for 1.2 and one more for each generation (52 for 1.8, 53 for 9, 65 for 21).
     */
    static boolean classVersionFits(String s, int gen) {
        s = s.trim();
        int end = numberEnd(s, 0);
        int major = number(s, 0, end);
        if (major == UNKNOWN || end >= s.length() || s.charAt(end) != '.') {
            return false;
        }
        int minorEnd = numberEnd(s, end + 1);
        if (number(s, end + 1, minorEnd) == UNKNOWN || minorEnd != s.length()) {
            return false;
        }
        if (major == 45) {
            return gen <= 1;
        }
        return major >= 46 && major - 44 == gen;
    }

    private static boolean endsWell(String s, int at) {
        if (at == s.length()) {
            return true;
        }
        char c = s.charAt(at);
        return c == '.' || c == '_' || c == '-' || c == '+' || c == ' ';
    }

    private static int numberEnd(String s, int start) {
        int i = start;
        while (i < s.length() && s.charAt(i) >= '0' && s.charAt(i) <= '9') {
            i++;
        }
        return i;
    }

    /* The decimal number in s[start, end): UNKNOWN when empty, too long or with a leading zero. */
    private static int number(String s, int start, int end) {
        int length = end - start;
        if (length == 0 || length > MAX_DIGITS || (length > 1 && s.charAt(start) == '0')) {
            return UNKNOWN;
        }
        int value = 0;
        for (int i = start; i < end; i++) {
            value = value * 10 + (s.charAt(i) - '0');
        }
        return value;
    }

    /*
     * The proof's exit code for a VM that reports these properties (java.version, java.home,
     * java.class.path, java.ext.dirs, path.separator, file.separator); the classes load through the class
     * loader of this class, which in the installer's run has the class path being proved.
     */
    static int proof(String version, String home, String classPath, String extDirs, String pathSeparator,
                     String fileSeparator) {
        int code = ANSWER;
        try {
            int gen = generation(version);
            if (gen < 1) {
                return code;
            }
            String lib = home.concat(fileSeparator).concat("lib").concat(fileSeparator);
            Properties config = readProperties(lib.concat(gen == 1 ? "awt.properties" : "accessibility.properties"));
            String[] classes = null;
            if (config != null && gen == 1) {
                classes = new String[] {trimmed(config.getProperty("AWT.assistive_technologies")),
                                        trimmed(config.getProperty("AWT.EventQueueClass"))};
                if (BRIDGE.equals(classes[0]) && EVENT_QUEUE.equals(classes[1])) {
                    code |= CONFIGURED;
                }
            } else if (config != null) {
                classes = pieces(config.getProperty("assistive_technologies"), ',');
                for (int i = 0; i < classes.length; i++) {
                    classes[i] = classes[i].trim();
                    if (classes[i].equals(BRIDGE)) {
                        code |= CONFIGURED;
                    }
                }
            }
            char separator = pathSeparator.charAt(0);
            if (gen == 1 ? jarsOnClassPath(pieces(classPath, separator), fileSeparator.charAt(0))
                         : jarsInFolders(pieces(extDirs, separator))) {
                code |= JARS_IN_PLACE;
            }
            if (allLoad(classes, gen)) {
                code |= CLASSES_LOAD;
            }
        } catch (Throwable t) {
            // what was established stands
        }
        return code;
    }

    /* The properties in a file; null when it cannot be read. */
    private static Properties readProperties(String path) {
        try {
            FileInputStream in = new FileInputStream(path);
            try {
                Properties p = new Properties();
                p.load(in);
                return p;
            } finally {
                in.close();
            }
        } catch (Throwable t) {
            return null;
        }
    }

    private static String trimmed(String s) {
        return s == null ? null : s.trim();
    }

    /* The pieces of s between the separators c, blanks kept; none when s is missing. */
    static String[] pieces(String s, char c) {
        if (s == null) {
            return new String[0];
        }
        int n = 1;
        for (int i = s.indexOf(c); i >= 0; i = s.indexOf(c, i + 1)) {
            n++;
        }
        String[] out = new String[n];
        int start = 0;
        for (int k = 0; k < n; k++) {
            int end = k == n - 1 ? s.length() : s.indexOf(c, start);
            out[k] = s.substring(start, end);
            start = end + 1;
        }
        return out;
    }

    /* A 1.1 VM finds the jars through class path entries that name existing files. */
    private static boolean jarsOnClassPath(String[] entries, char fileSeparator) {
        for (int j = 0; j < JARS.length; j++) {
            boolean found = false;
            for (int i = 0; !found && i < entries.length; i++) {
                String e = entries[i];
                String last = e.substring(Math.max(e.lastIndexOf('/'), e.lastIndexOf(fileSeparator)) + 1);
                found = sameIgnoringAsciiCase(last, JARS[j]) && new File(e).isFile();
            }
            if (!found) {
                return false;
            }
        }
        return true;
    }

    private static boolean jarsInFolders(String[] folders) {
        for (int j = 0; j < JARS.length; j++) {
            boolean found = false;
            for (int i = 0; !found && i < folders.length; i++) {
                found = new File(folders[i], JARS[j]).isFile();
            }
            if (!found) {
                return false;
            }
        }
        return true;
    }

    /* Equal but for the case of ASCII letters; equalsIgnoreCase would also pair some non-ASCII ones. */
    private static boolean sameIgnoringAsciiCase(String a, String b) {
        if (a.length() != b.length()) {
            return false;
        }
        for (int i = 0; i < a.length(); i++) {
            if (lower(a.charAt(i)) != lower(b.charAt(i))) {
                return false;
            }
        }
        return true;
    }

    private static char lower(char c) {
        return c >= 'A' && c <= 'Z' ? (char) (c + 'a' - 'A') : c;
    }

    /* True when the names hold at least one class and every one of them loads. */
    private static boolean allLoad(String[] names, int gen) {
        int loaded = 0;
        for (int i = 0; names != null && i < names.length; i++) {
            if (names[i] == null || names[i].length() == 0) {
                continue;
            }
            try {
                if ((gen == 1 ? Class.forName(names[i]) : loadUninitialised(names[i])) == null) {
                    return false;
                }
            } catch (Throwable t) {
                return false;
            }
            loaded++;
        }
        return loaded > 0;
    }

    /* Not in 1.1, which resolves a call when it first runs it: only later VMs come here. */
    private static Class loadUninitialised(String name) throws ClassNotFoundException {
        return Class.forName(name, false, ClassLoader.getSystemClassLoader());
    }
}
