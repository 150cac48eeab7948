import java.io.DataInputStream;
import java.io.FileInputStream;
import java.io.IOException;
import java.util.ArrayList;
import java.util.LinkedHashSet;
import java.util.List;
import java.util.Set;

/*
 * Checks that a class file can run in a VM of the 1.1 generation: format 45.3, only constant-pool entries
 * and attributes that format knows, and references only to classes and members of the 1.1 API listed
 * below. Anything not on the list fails, so a member that later JDKs added to a 1.1 class is caught too.
 *
 *   java ClassFileCheck FILE                    exit 0 when FILE passes
 *   java ClassFileCheck --must-reject FILE X... exit 0 when FILE fails and every X begins one of the findings
 */
public class ClassFileCheck {

    // Members of the 1.1 API, as "owner.name:descriptor". Only names known to be in 1.1 belong here.
    static final Set<String> MEMBERS = Set.of(
        "java/lang/Object.<init>:()V",
        "java/lang/Object.equals:(Ljava/lang/Object;)Z",
        "java/lang/Object.hashCode:()I",
        "java/lang/Object.toString:()Ljava/lang/String;",
        "java/lang/Object.getClass:()Ljava/lang/Class;",
        "java/lang/Class.getName:()Ljava/lang/String;",
        "java/lang/String.length:()I",
        "java/lang/String.charAt:(I)C",
        "java/lang/String.trim:()Ljava/lang/String;",
        "java/lang/String.substring:(I)Ljava/lang/String;",
        "java/lang/String.substring:(II)Ljava/lang/String;",
        "java/lang/String.indexOf:(I)I",
        "java/lang/String.indexOf:(II)I",
        "java/lang/String.indexOf:(Ljava/lang/String;)I",
        "java/lang/String.indexOf:(Ljava/lang/String;I)I",
        "java/lang/String.lastIndexOf:(I)I",
        "java/lang/String.startsWith:(Ljava/lang/String;)Z",
        "java/lang/String.endsWith:(Ljava/lang/String;)Z",
        "java/lang/String.equals:(Ljava/lang/Object;)Z",
        "java/lang/String.equalsIgnoreCase:(Ljava/lang/String;)Z",
        "java/lang/String.compareTo:(Ljava/lang/String;)I",
        "java/lang/String.toLowerCase:()Ljava/lang/String;",
        "java/lang/String.toUpperCase:()Ljava/lang/String;",
        "java/lang/String.valueOf:(I)Ljava/lang/String;",
        "java/lang/String.valueOf:(C)Ljava/lang/String;",
        "java/lang/String.valueOf:(Ljava/lang/Object;)Ljava/lang/String;",
        "java/lang/StringBuffer.<init>:()V",
        "java/lang/StringBuffer.<init>:(Ljava/lang/String;)V",
        "java/lang/StringBuffer.append:(Ljava/lang/String;)Ljava/lang/StringBuffer;",
        "java/lang/StringBuffer.append:(C)Ljava/lang/StringBuffer;",
        "java/lang/StringBuffer.append:(I)Ljava/lang/StringBuffer;",
        "java/lang/StringBuffer.append:(Ljava/lang/Object;)Ljava/lang/StringBuffer;",
        "java/lang/StringBuffer.length:()I",
        "java/lang/StringBuffer.toString:()Ljava/lang/String;",
        "java/lang/System.getProperty:(Ljava/lang/String;)Ljava/lang/String;",
        "java/lang/System.getProperty:(Ljava/lang/String;Ljava/lang/String;)Ljava/lang/String;",
        "java/lang/System.exit:(I)V",
        "java/lang/System.out:Ljava/io/PrintStream;",
        "java/lang/System.err:Ljava/io/PrintStream;",
        "java/lang/Integer.parseInt:(Ljava/lang/String;)I",
        "java/lang/Integer.toString:(I)Ljava/lang/String;",
        "java/lang/Character.isDigit:(C)Z",
        "java/lang/Throwable.<init>:()V",
        "java/lang/Throwable.getMessage:()Ljava/lang/String;",
        "java/lang/Throwable.printStackTrace:()V",
        "java/lang/Exception.<init>:()V",
        "java/lang/RuntimeException.<init>:()V",
        "java/io/PrintStream.println:(Ljava/lang/String;)V",
        "java/io/PrintStream.println:(I)V");

    // Classes of the 1.1 API that may be named (in catch clauses, casts, descriptors) or own the members above.
    static final Set<String> CLASSES = Set.of(
        "java/lang/Object", "java/lang/Class", "java/lang/String", "java/lang/StringBuffer",
        "java/lang/System", "java/lang/Integer", "java/lang/Character", "java/lang/Throwable",
        "java/lang/Exception", "java/lang/RuntimeException", "java/lang/Error",
        "java/lang/SecurityException", "java/lang/NumberFormatException",
        "java/lang/NullPointerException", "java/lang/IndexOutOfBoundsException",
        "java/lang/StringIndexOutOfBoundsException", "java/io/PrintStream");

    // Attributes a 45.3 class file may carry.
    static final Set<String> ATTRIBUTES = Set.of(
        "Code", "ConstantValue", "Exceptions", "SourceFile", "LineNumberTable", "LocalVariableTable",
        "InnerClasses", "Synthetic", "Deprecated");

    private final Set<String> findings = new LinkedHashSet<>();
    private Object[] pool;
    private String self;

    public static void main(String[] args) throws IOException {
        boolean mustReject = args.length > 0 && args[0].equals("--must-reject");
        int first = mustReject ? 1 : 0;
        if (args.length <= first || (mustReject && args.length < 3) || (!mustReject && args.length != 1)) {
            System.err.println("usage: ClassFileCheck FILE | ClassFileCheck --must-reject FILE NAME...");
            System.exit(2);
        }
        ClassFileCheck check = new ClassFileCheck();
        try (DataInputStream in = new DataInputStream(new FileInputStream(args[first]))) {
            check.read(in);
        }
        for (String f : check.findings) {
            System.out.println("not 1.1: " + f);
        }
        if (!mustReject) {
            System.out.println(args[first] + (check.findings.isEmpty() ? ": loadable by 1.1 VMs" : ": rejected"));
            System.exit(check.findings.isEmpty() ? 0 : 1);
        }
        List<String> missed = new ArrayList<>();
        for (int i = first + 1; i < args.length; i++) {
            String expected = args[i];
            if (check.findings.stream().noneMatch(f -> f.startsWith(expected))) {
                missed.add(args[i]);
            }
        }
        if (!missed.isEmpty()) {
            System.out.println("expected to be rejected for, but was not: " + missed);
            System.exit(1);
        }
        System.out.println(args[first] + ": rejected as expected");
    }

    void read(DataInputStream in) throws IOException {
        if (in.readInt() != 0xCAFEBABE) {
            findings.add("not a class file");
            return;
        }
        int minor = in.readUnsignedShort();
        int major = in.readUnsignedShort();
        if (major != 45 || minor != 3) {
            findings.add("version " + major + "." + minor);
        }
        if (!readPool(in)) {
            return;
        }
        in.readUnsignedShort(); // access flags
        self = className(in.readUnsignedShort());
        int superIndex = in.readUnsignedShort();
        if (superIndex != 0) {
            checkClass(className(superIndex));
        }
        int interfaces = in.readUnsignedShort();
        for (int i = 0; i < interfaces; i++) {
            checkClass(className(in.readUnsignedShort()));
        }
        checkPoolReferences();
        for (int kind = 0; kind < 2; kind++) { // fields, then methods
            int count = in.readUnsignedShort();
            for (int i = 0; i < count; i++) {
                in.readUnsignedShort(); // access flags
                in.readUnsignedShort(); // name
                checkDescriptor(utf8(in.readUnsignedShort()));
                readAttributes(in);
            }
        }
        readAttributes(in);
    }

    private boolean readPool(DataInputStream in) throws IOException {
        int count = in.readUnsignedShort();
        pool = new Object[count];
        for (int i = 1; i < count; i++) {
            int tag = in.readUnsignedByte();
            switch (tag) {
                case 1 -> pool[i] = in.readUTF();
                case 3, 4 -> in.readInt();
                case 5, 6 -> { in.readLong(); i++; }
                case 7, 8 -> pool[i] = new int[] {tag, in.readUnsignedShort()};
                case 9, 10, 11, 12 -> pool[i] = new int[] {tag, in.readUnsignedShort(), in.readUnsignedShort()};
                default -> {
                    // Method handles, dynamic constants, modules: nothing a 1.1 VM could read past.
                    findings.add("constant pool tag " + tag);
                    return false;
                }
            }
        }
        return true;
    }

    private void checkPoolReferences() {
        for (Object entry : pool) {
            if (!(entry instanceof int[] e)) {
                continue;
            }
            if (e[0] == 7) {
                checkClass(utf8(e[1]));
            } else if (e[0] == 9 || e[0] == 10 || e[0] == 11) {
                String owner = className(e[1]);
                int[] nameAndType = (int[]) pool[e[2]];
                String name = utf8(nameAndType[1]);
                String descriptor = utf8(nameAndType[2]);
                checkDescriptor(descriptor);
                if (!owner.equals(self) && !MEMBERS.contains(owner + "." + name + ":" + descriptor)) {
                    findings.add(owner + "." + name + ":" + descriptor);
                }
            }
        }
    }

    private void readAttributes(DataInputStream in) throws IOException {
        int count = in.readUnsignedShort();
        for (int i = 0; i < count; i++) {
            String name = utf8(in.readUnsignedShort());
            int length = in.readInt();
            if (!ATTRIBUTES.contains(name)) {
                findings.add("attribute " + name);
            }
            if (name.equals("Code")) {
                in.readUnsignedShort(); // max stack
                in.readUnsignedShort(); // max locals
                in.skipNBytes(in.readInt());
                in.skipNBytes(8L * in.readUnsignedShort()); // exception table; catch types are pool classes
                readAttributes(in);
            } else {
                in.skipNBytes(length);
            }
        }
    }

    // A class name as a Class entry holds it: plain, or an array descriptor.
    private void checkClass(String name) {
        if (name.startsWith("[")) {
            checkDescriptor(name);
        } else if (!name.equals(self) && !CLASSES.contains(name)) {
            findings.add(name);
        }
    }

    private void checkDescriptor(String descriptor) {
        int at = descriptor.indexOf('L');
        while (at >= 0) {
            int end = descriptor.indexOf(';', at);
            checkClass(descriptor.substring(at + 1, end));
            at = descriptor.indexOf('L', end);
        }
    }

    private String className(int index) {
        return utf8(((int[]) pool[index])[1]);
    }

    private String utf8(int index) {
        return (String) pool[index];
    }
}
