package com.zel.java.accessibility;

/*
 * SAMPLE STAND-IN, not the Java Ostrel: the class that the sample accessibility.properties names, so that
 * the sample payload's ostrel.jar loads where the real one would. It does nothing.
 */
public class Ostrel {

    public Ostrel() {
    }
}
